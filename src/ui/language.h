// SPDX-License-Identifier: GPL-2.0-or-later
// TuiLanguage: the language store read from "ui.local", the choice of the current language,
// and the locale names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/translation.h"
#include "ui/ui_local_file.h"

namespace qor {

// What the component needs from outside.
struct LanguageEnvironment {
  TextTranslationService& service;  // the service whose dictionary the component switches
  std::filesystem::path program;    // the program folder, holding ui.local
  std::string locale;               // the user's POSIX locale name (SystemLocaleName())
};

class TuiLanguage {
 public:
  using TuiLanguageChangedEvent =
      std::function<void(TuiLanguage& AComponent, const std::u16string& LanguageShortID,
                         const std::u16string& LanguageLongName)>;

  // Loads ui.local from the program folder when it is there. A file that cannot be read or
  // is damaged leaves the language list empty (every text shows as written) and its problem
  // in LastError().
  explicit TuiLanguage(const LanguageEnvironment& env);
  TuiLanguage(const TuiLanguage&) = delete;
  TuiLanguage& operator=(const TuiLanguage&) = delete;

  // Appends the file's languages to the list and replaces the source list. True when loaded
  // or when the file does not exist; false, with LastError() and nothing changed, when it
  // cannot be read or is damaged.
  bool LoadFromFile(const std::filesystem::path& AFileName);
  // Writes the store as a language file, replacing AFileName atomically; false with
  // LastError() when that failed.
  bool SaveToFile(const std::filesystem::path& AFileName);
  // Adds an empty dictionary under AName; false when that ID exists already (in any letter
  // case) or cannot name a language.
  bool AddLang(std::u16string_view AName);

  // Makes Value the current language: switches the translation service ("en": the source
  // texts; a listed ID: its dictionary; any other ID changes no text), sets Lang() to Value
  // and fires OnLanguageChanged.
  void SetLang(std::u16string_view Value);
  // The short ID of the current language (FLanguageName); empty until a language is set.
  const std::u16string& Lang() const { return FLanguageName; }

  // Position of ShortID in the language list (any letter case), -1 when absent.
  int GetLanguageIndexByShortID(std::u16string_view ShortID) const;
  // The short ID at Index; empty for an index outside the list.
  std::u16string GetLanguageShortIDByIndex(int Index) const;
  // The long name (display name) of the language with that identifier; empty when unknown.
  std::u16string GetLanguageLongNameByShortID(std::u16string_view ShortID) const;
  std::u16string GetLanguageLongNameByLangID(uint16_t LangID) const;
  // The system's language identifier as four upper-case hexadecimal digits, "0409".
  std::u16string GetOSDefaultLang() const;

  // The start-up choice, once the profiles are loaded: switch the service (not Lang()) to a
  // language named by the user's two-letter language code when the file has one; then, when
  // the language at position CurrentLanguage (the stored index) is not the current one,
  // SetLang with its short ID (empty outside the list); then, with at most one language in
  // the list, SetLang("0409").
  void ChooseStartupLanguage(int32_t CurrentLanguage);

  // The source texts (FOriginal), sorted.
  const std::vector<std::u16string>& Original() const { return FOriginal; }
  // The languages in file order (FResources), each with its dictionary.
  const std::vector<LanguageEntry>& Resources() const { return FResources; }
  // The problem of the last load or save that failed.
  const std::optional<std::string>& LastError() const { return FLastError; }

  TuiLanguageChangedEvent OnLanguageChanged;

 private:
  const LanguageEntry* findLanguage(std::u16string_view shortID) const;
  void switchTextTranslation(std::u16string_view shortID);

  TextTranslationService& FService;
  std::string FLocale;
  std::vector<std::u16string> FOriginal;
  std::vector<LanguageEntry> FResources;
  std::u16string FLanguageName;
  std::optional<std::string> FLastError;
};

// The languages of a program folder's ui.local, read only for their list: no translation
// service of the program is switched.
class InstalledLanguages {
 public:
  InstalledLanguages(const std::filesystem::path& program, const std::string& locale)
      : FLanguage({FService, program, locale}) {}
  const TuiLanguage& List() const { return FLanguage; }

 private:
  TextTranslationService FService;
  TuiLanguage FLanguage;
};

// The language a first start shows: the position in `language`'s list of the user's locale
// language (the same language identifier, else the same language of another country), 0
// (English, the first) when the list has none or the locale names no language ("C", "zz_ZZ").
int32_t LocaleLanguageIndex(const TuiLanguage& language);
// LocaleLanguageIndex of the languages in `program`'s ui.local for the POSIX locale `locale`.
int32_t FirstStartLanguage(const std::filesystem::path& program, const std::string& locale);
// The position of the language that `nameOrID` names, without regard to case: its short ID
// ("0407"), its language code ("de"), its English name ("German (Germany)", "German") or its
// own name ("Deutsch"); -1 when the list has none.
int FindLanguage(const TuiLanguage& language, std::string_view nameOrID);

// The picture folder of a language: "images/<short ID>" in the program folder when that
// folder exists (names matched without regard to case), else "images/0409".
std::filesystem::path LanguageImageFolder(const std::filesystem::path& program,
                                          std::u16string_view shortID);

}  // namespace qor
