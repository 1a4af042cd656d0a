// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/language.h"

#include <system_error>

#include "model/wide_text.h"
#include "platform/paths.h"
#include "ui/locale_table.h"

namespace qor {
namespace fs = std::filesystem;

namespace {

constexpr std::u16string_view kSourceLanguage = u"en";
constexpr std::u16string_view kFallbackLanguage = u"0409";

}  // namespace

TuiLanguage::TuiLanguage(const LanguageEnvironment& env)
    : FService(env.service), FLocale(env.locale) {
  const fs::path file = env.program / kLanguageFileName;
  std::error_code ec;
  // An error other than absence is loaded so that its cause is reported.
  if (fs::exists(file, ec) || ec) {
    FResources.clear();
    LoadFromFile(file);
  }
}

bool TuiLanguage::LoadFromFile(const fs::path& AFileName) {
  std::error_code ec;
  if (!fs::exists(AFileName, ec) && !ec) return true;
  LanguageFileContent content;
  if (auto e = ReadLanguageFile(AFileName, content)) {
    FLastError = std::move(e);
    return false;
  }
  FOriginal = std::move(content.original);
  for (LanguageEntry& language : content.languages) FResources.push_back(std::move(language));
  FLastError.reset();
  return true;
}

bool TuiLanguage::SaveToFile(const fs::path& AFileName) {
  if (auto e = WriteLanguageFile(AFileName, LanguageFileContent{FOriginal, FResources})) {
    FLastError = std::move(e);
    return false;
  }
  FLastError.reset();
  return true;
}

bool TuiLanguage::AddLang(std::u16string_view AName) {
  if (!IsValidShortID(AName) || findLanguage(AName)) return false;
  FResources.push_back(LanguageEntry{std::u16string(AName), {}});
  return true;
}

void TuiLanguage::SetLang(std::u16string_view Value) {
  switchTextTranslation(Value);
  FLanguageName = std::u16string(Value);
  if (OnLanguageChanged)
    OnLanguageChanged(*this, FLanguageName, GetLanguageLongNameByShortID(FLanguageName));
}

int TuiLanguage::GetLanguageIndexByShortID(std::u16string_view ShortID) const {
  for (std::size_t i = 0; i < FResources.size(); ++i)
    if (SameShortID(FResources[i].shortID, ShortID)) return static_cast<int>(i);
  return -1;
}

std::u16string TuiLanguage::GetLanguageShortIDByIndex(int Index) const {
  if (Index < 0 || static_cast<std::size_t>(Index) >= FResources.size()) return {};
  return FResources[static_cast<std::size_t>(Index)].shortID;
}

std::u16string TuiLanguage::GetLanguageLongNameByShortID(std::u16string_view ShortID) const {
  const auto langID = ParseShortID(ShortID);
  return langID ? GetLanguageLongNameByLangID(*langID) : std::u16string();
}

std::u16string TuiLanguage::GetLanguageLongNameByLangID(uint16_t LangID) const {
  const LocaleInfo* locale = FindLocaleByLangID(LangID);
  return locale ? toUtf16(locale->displayName) : std::u16string();
}

std::u16string TuiLanguage::GetOSDefaultLang() const {
  return FormatShortID(LangIDOfLocale(FLocale));
}

void TuiLanguage::ChooseStartupLanguage(int32_t CurrentLanguage) {
  const std::u16string userLanguage = toUtf16(LocaleLanguageCode(FLocale));
  if (findLanguage(userLanguage)) switchTextTranslation(userLanguage);

  if (CurrentLanguage != GetLanguageIndexByShortID(FLanguageName))
    SetLang(GetLanguageShortIDByIndex(CurrentLanguage));
  if (FResources.size() <= 1) SetLang(kFallbackLanguage);
}

const LanguageEntry* TuiLanguage::findLanguage(std::u16string_view shortID) const {
  const int i = GetLanguageIndexByShortID(shortID);
  return i < 0 ? nullptr : &FResources[static_cast<std::size_t>(i)];
}

void TuiLanguage::switchTextTranslation(std::u16string_view shortID) {
  const bool toSource = SameShortID(shortID, kSourceLanguage);
  const LanguageEntry* language = findLanguage(shortID);
  if (!toSource && !language) return;
  FService.DropDictionary();
  if (toSource) return;
  FService.UseDictionary(language->lines);
}

namespace {

// The primary language of a language identifier: German of Germany and of Austria alike.
uint16_t primaryLanguage(uint16_t langID) {
  return langID & 0x3FF;
}

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return out;
}

}  // namespace

int32_t LocaleLanguageIndex(const TuiLanguage& language) {
  const std::u16string wanted = language.GetOSDefaultLang();
  if (const int exact = language.GetLanguageIndexByShortID(wanted); exact >= 0) return exact;
  const auto want = ParseShortID(wanted);
  const auto& list = language.Resources();
  for (std::size_t i = 0; want && i < list.size(); ++i) {
    const auto id = ParseShortID(list[i].shortID);
    if (id && primaryLanguage(*id) == primaryLanguage(*want)) return int32_t(i);
  }
  return 0;
}

int32_t FirstStartLanguage(const fs::path& program, const std::string& locale) {
  return LocaleLanguageIndex(InstalledLanguages(program, locale).List());
}

int FindLanguage(const TuiLanguage& language, std::string_view nameOrID) {
  const std::string wanted = lowered(nameOrID);
  const auto& list = language.Resources();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (lowered(toUtf8(list[i].shortID)) == wanted) return int(i);
    const auto id = ParseShortID(list[i].shortID);
    const LocaleInfo* locale = id ? FindLocaleByLangID(*id) : nullptr;
    if (!locale) continue;
    const std::string english = lowered(locale->displayName);
    // "German (Germany)" is also "German".
    if (english == wanted || english.substr(0, english.find(" (")) == wanted ||
        lowered(locale->nativeName) == wanted || LocaleLanguageCode(locale->posixName) == wanted)
      return int(i);
  }
  return -1;
}

fs::path LanguageImageFolder(const fs::path& program, std::u16string_view shortID) {
  if (IsValidShortID(shortID)) {
    const fs::path folder = paths::resolveInFolder(program, "images\\" + toUtf8(shortID));
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return folder;
  }
  return paths::resolveInFolder(program, "images\\" + toUtf8(kFallbackLanguage));
}

}  // namespace qor
