// SPDX-License-Identifier: GPL-2.0-or-later
// The translators' text files from which ui.local is built: UTF-8, the short ID on the first
// line, then one line per dictionary entry, "source=translation", split at the first "=".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ui_local_file.h"

namespace qor {

// Reads one language from its text. LF or CR LF end lines, a UTF-8 byte order mark is
// skipped and empty lines are ignored. Refused, with the line named: bytes that are not
// UTF-8, a first line that is not a short ID, an entry without "=" or with an empty source
// text, a carriage return inside a line, and a source text given twice.
std::optional<std::string> ParseLanguageSourceText(std::string_view text, LanguageEntry& out);

// The text of one language in the same form: the short ID, then the dictionary lines in
// order, each ending in LF.
std::string FormatLanguageSourceText(const LanguageEntry& language);

// The file content for these languages, in the order given: the source texts are the union of
// the source parts of all dictionaries. Refuses a short ID given twice.
std::optional<std::string> BuildLanguageFileContent(std::vector<LanguageEntry> languages,
                                                    LanguageFileContent& out);

}  // namespace qor
