// SPDX-License-Identifier: GPL-2.0-or-later
// Macro files: each macro of a profile as a file of its own, "<name>.macro" in the profile's
// macro folder, holding exactly one 892-byte TMACROKEYINFO.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/profile_records.h"

namespace qor {

// The file of a macro: the folder, the separator when it does not end with one, the name as
// UTF-8 and ".macro".
std::string MacroFileName(const std::string& AMacroPath, std::u16string_view AMacroName);

// Writes macro 0 to nMacroInfoCount - 1 of the list, each to its own file in AMacroPath (the
// folder is created, one level, when missing); existing files are replaced atomically. A name
// that cannot be a file name here (it holds "/" or is too long for the file system) is
// refused with an error naming the macro, and the other macros are still written. A folder
// that cannot be created or a file that cannot be written ends the run; files already written
// stay. An empty folder or a count above the record's 21 slots writes nothing. Returns the
// errors, one per line, or nothing when every file was written.
std::optional<std::string> SaveMacroKeyInfoListToMacroFiles(
    const TMACROKEYINFOLIST& AMacroKeyInfoList, const std::string& AMacroPath);

// Reads the file's first 892 bytes into AMacroKeyInfo; a shorter file fills only the start of
// the record. Returns false with the record as it was when the file is missing, or when it
// cannot be read (then AError says why). No version test is made.
bool LoadMacroFromFile(const std::string& AMacroFile, TMACROKEYINFO& AMacroKeyInfo,
                       std::string* AError = nullptr);

// Whether the record is a valid macro file record (Version 258).
bool IsValidMacroVersion(const TMACROKEYINFO& AMacroKeyInfo);

// The new-macro file of the name dialog: a record that is all zero except the name (cut to 50
// units) and Version 258, under the same naming and folder rules. An existing file of that
// name is kept: it may be the file of a macro of the same name. Returns an error text, or
// nothing when the file is there afterwards.
std::optional<std::string> SaveEmptyMacroFile(std::u16string_view AMacroName,
                                              const std::string& AMacroPath);

}  // namespace qor
