// SPDX-License-Identifier: GPL-2.0-or-later
// The locales the program knows by their Windows language identifier, and the user's locale.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qor {

// One locale: its language identifier and its names.
struct LocaleInfo {
  uint16_t langID;          // Windows language identifier, 0x0409 for English (United States)
  const char* posixName;    // language_TERRITORY as POSIX locales name it, "en_US"
  const char* displayName;  // in English, "English (United States)"
  const char* nativeName;   // the language's own name for itself, "English"
};

// Every known locale, one row per language identifier.
std::span<const LocaleInfo> LocaleTable();
// The row of `langID`, or null when the identifier is unknown.
const LocaleInfo* FindLocaleByLangID(uint16_t langID);

// A short ID of exactly four hexadecimal digits ("040a", "040A") as its number.
std::optional<uint16_t> ParseShortID(std::u16string_view shortID);
// The four upper-case hexadecimal digits of `langID`, "040A".
std::u16string FormatShortID(uint16_t langID);

// The user's locale for messages: the first non-empty of LC_ALL, LC_MESSAGES and LANG, else
// "C".
std::string SystemLocaleName();
// The language code of a POSIX locale name in lower case ("de_DE.UTF-8@euro" gives "de");
// "C", "POSIX" and an empty name are English, "en".
std::string LocaleLanguageCode(std::string_view localeName);
// The language identifier of a POSIX locale name: the row with the same language and
// territory, else the first row of the same language, else English (United States).
uint16_t LangIDOfLocale(std::string_view localeName);

}  // namespace qor
