// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/locale_table.h"

#include <algorithm>
#include <cstdlib>

namespace qor {
namespace {

// Rows in the order the system lists them; the first row of a language is the one its bare
// language code ("de") stands for.
constexpr LocaleInfo kLocales[] = {
    {0x0401, "ar_SA", "Arabic (Saudi Arabia)", "العربية"},
    {0x0402, "bg_BG", "Bulgarian (Bulgaria)", "български"},
    {0x0403, "ca_ES", "Catalan (Spain)", "català"},
    {0x0404, "zh_TW", "Chinese (Traditional, Taiwan)", "中文(繁體)"},
    {0x0405, "cs_CZ", "Czech (Czech Republic)", "čeština"},
    {0x0406, "da_DK", "Danish (Denmark)", "dansk"},
    {0x0407, "de_DE", "German (Germany)", "Deutsch"},
    {0x0408, "el_GR", "Greek (Greece)", "Ελληνικά"},
    {0x0409, "en_US", "English (United States)", "English"},
    {0x040A, "es_ES", "Spanish (Spain, Traditional Sort)", "español"},
    {0x040B, "fi_FI", "Finnish (Finland)", "suomi"},
    {0x040C, "fr_FR", "French (France)", "français"},
    {0x040D, "he_IL", "Hebrew (Israel)", "עברית"},
    {0x040E, "hu_HU", "Hungarian (Hungary)", "magyar"},
    {0x040F, "is_IS", "Icelandic (Iceland)", "íslenska"},
    {0x0410, "it_IT", "Italian (Italy)", "italiano"},
    {0x0411, "ja_JP", "Japanese (Japan)", "日本語"},
    {0x0412, "ko_KR", "Korean (Korea)", "한국어"},
    {0x0413, "nl_NL", "Dutch (Netherlands)", "Nederlands"},
    {0x0414, "nb_NO", "Norwegian, Bokmål (Norway)", "norsk (bokmål)"},
    {0x0415, "pl_PL", "Polish (Poland)", "polski"},
    {0x0416, "pt_BR", "Portuguese (Brazil)", "português"},
    {0x0418, "ro_RO", "Romanian (Romania)", "română"},
    {0x0419, "ru_RU", "Russian (Russia)", "русский"},
    {0x041A, "hr_HR", "Croatian (Croatia)", "hrvatski"},
    {0x041B, "sk_SK", "Slovak (Slovakia)", "slovenčina"},
    {0x041C, "sq_AL", "Albanian (Albania)", "shqip"},
    {0x041D, "sv_SE", "Swedish (Sweden)", "svenska"},
    {0x041E, "th_TH", "Thai (Thailand)", "ไทย"},
    {0x041F, "tr_TR", "Turkish (Turkey)", "Türkçe"},
    {0x0420, "ur_PK", "Urdu (Pakistan)", "اُردو"},
    {0x0421, "id_ID", "Indonesian (Indonesia)", "Bahasa Indonesia"},
    {0x0422, "uk_UA", "Ukrainian (Ukraine)", "українська"},
    {0x0423, "be_BY", "Belarusian (Belarus)", "беларуская"},
    {0x0424, "sl_SI", "Slovenian (Slovenia)", "slovenščina"},
    {0x0425, "et_EE", "Estonian (Estonia)", "eesti"},
    {0x0426, "lv_LV", "Latvian (Latvia)", "latviešu"},
    {0x0427, "lt_LT", "Lithuanian (Lithuania)", "lietuvių"},
    {0x0429, "fa_IR", "Persian (Iran)", "فارسی"},
    {0x042A, "vi_VN", "Vietnamese (Vietnam)", "Tiếng Việt"},
    {0x042B, "hy_AM", "Armenian (Armenia)", "Հայերեն"},
    {0x042D, "eu_ES", "Basque (Spain)", "euskara"},
    {0x042F, "mk_MK", "Macedonian (North Macedonia)", "македонски"},
    {0x0436, "af_ZA", "Afrikaans (South Africa)", "Afrikaans"},
    {0x0437, "ka_GE", "Georgian (Georgia)", "ქართული"},
    {0x0439, "hi_IN", "Hindi (India)", "हिंदी"},
    {0x043E, "ms_MY", "Malay (Malaysia)", "Bahasa Melayu"},
    {0x0456, "gl_ES", "Galician (Spain)", "galego"},
    {0x0804, "zh_CN", "Chinese (Simplified, China)", "中文(简体)"},
    {0x0807, "de_CH", "German (Switzerland)", "Deutsch"},
    {0x0809, "en_GB", "English (United Kingdom)", "English"},
    {0x080A, "es_MX", "Spanish (Mexico)", "español"},
    {0x080C, "fr_BE", "French (Belgium)", "français"},
    {0x0810, "it_CH", "Italian (Switzerland)", "italiano"},
    {0x0813, "nl_BE", "Dutch (Belgium)", "Nederlands"},
    {0x0814, "nn_NO", "Norwegian, Nynorsk (Norway)", "norsk (nynorsk)"},
    {0x0816, "pt_PT", "Portuguese (Portugal)", "português"},
    {0x0C04, "zh_HK", "Chinese (Traditional, Hong Kong SAR)", "中文(香港特別行政區)"},
    {0x0C07, "de_AT", "German (Austria)", "Deutsch"},
    {0x0C09, "en_AU", "English (Australia)", "English"},
    {0x0C0A, "es_ES", "Spanish (Spain, International Sort)", "español"},
    {0x0C0C, "fr_CA", "French (Canada)", "français"},
    {0x0C1A, "sr_RS", "Serbian (Cyrillic, Serbia)", "српски"},
    {0x1004, "zh_SG", "Chinese (Simplified, Singapore)", "中文(新加坡)"},
    {0x1007, "de_LU", "German (Luxembourg)", "Deutsch"},
    {0x1009, "en_CA", "English (Canada)", "English"},
    {0x100C, "fr_CH", "French (Switzerland)", "français"},
    {0x1407, "de_LI", "German (Liechtenstein)", "Deutsch"},
    {0x1409, "en_NZ", "English (New Zealand)", "English"},
    {0x140C, "fr_LU", "French (Luxembourg)", "français"},
    {0x1809, "en_IE", "English (Ireland)", "English"},
    {0x1C09, "en_ZA", "English (South Africa)", "English"},
    {0x240A, "es_CO", "Spanish (Colombia)", "español"},
    {0x2C0A, "es_AR", "Spanish (Argentina)", "español"},
    {0x340A, "es_CL", "Spanish (Chile)", "español"},
    {0x4009, "en_IN", "English (India)", "English"},
};

constexpr uint16_t kEnglishUnitedStates = 0x0409;

// "de_DE.UTF-8@euro" without codeset and modifier: "de_DE".
std::string_view stripCodesetAndModifier(std::string_view name) {
  return name.substr(0, name.find_first_of(".@"));
}

std::string asciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool isPosixDefault(std::string_view name) {
  return name.empty() || name == "C" || name == "POSIX";
}

}  // namespace

std::span<const LocaleInfo> LocaleTable() {
  return kLocales;
}

const LocaleInfo* FindLocaleByLangID(uint16_t langID) {
  for (const LocaleInfo& row : kLocales)
    if (row.langID == langID) return &row;
  return nullptr;
}

std::optional<uint16_t> ParseShortID(std::u16string_view shortID) {
  if (shortID.size() != 4) return std::nullopt;
  uint16_t value = 0;
  for (char16_t c : shortID) {
    unsigned digit;
    if (c >= u'0' && c <= u'9')
      digit = c - u'0';
    else if (c >= u'a' && c <= u'f')
      digit = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
      digit = c - u'A' + 10;
    else
      return std::nullopt;
    value = static_cast<uint16_t>(value << 4 | digit);
  }
  return value;
}

std::u16string FormatShortID(uint16_t langID) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string out(4, u'0');
  for (int i = 3; i >= 0; --i, langID >>= 4) out[i] = kDigits[langID & 0xF];
  return out;
}

std::string SystemLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  return "C";
}

std::string LocaleLanguageCode(std::string_view localeName) {
  const std::string_view name = stripCodesetAndModifier(localeName);
  if (isPosixDefault(name)) return "en";
  return asciiLower(name.substr(0, name.find('_')));
}

uint16_t LangIDOfLocale(std::string_view localeName) {
  const std::string_view name = stripCodesetAndModifier(localeName);
  if (isPosixDefault(name)) return kEnglishUnitedStates;
  const std::string language = LocaleLanguageCode(name);
  const std::size_t underscore = name.find('_');
  const std::string territory = underscore == std::string_view::npos
                                    ? std::string()
                                    : asciiLower(name.substr(underscore + 1));
  const LocaleInfo* sameLanguage = nullptr;
  for (const LocaleInfo& row : kLocales) {
    const std::string rowName = asciiLower(row.posixName);
    const std::string_view rowView = rowName;
    const std::size_t rowUnderscore = rowView.find('_');
    if (rowView.substr(0, rowUnderscore) != language) continue;
    if (!territory.empty() && rowView.substr(rowUnderscore + 1) == territory) return row.langID;
    if (!sameLanguage) sameLanguage = &row;
  }
  return sameLanguage ? sameLanguage->langID : kEnglishUnitedStates;
}

}  // namespace qor
