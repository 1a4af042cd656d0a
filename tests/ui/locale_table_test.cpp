// SPDX-License-Identifier: GPL-2.0-or-later
// Language identifiers, their names, and the user's locale from the environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "ui/locale_table.h"

namespace qor {
namespace {

TEST(LocaleTable, OneRowPerIdentifierWithBothNames) {
  std::set<uint16_t> seen;
  for (const LocaleInfo& row : LocaleTable()) {
    EXPECT_TRUE(seen.insert(row.langID).second) << std::hex << row.langID;
    EXPECT_NE(*row.displayName, '\0');
    EXPECT_NE(*row.nativeName, '\0');
  }
  for (uint16_t shipped : {0x0409, 0x0407, 0x040C, 0x040A})
    EXPECT_TRUE(FindLocaleByLangID(shipped));
  EXPECT_STREQ(FindLocaleByLangID(0x0407)->nativeName, "Deutsch");
  EXPECT_STREQ(FindLocaleByLangID(0x0411)->nativeName, "日本語");
  EXPECT_FALSE(FindLocaleByLangID(0x0000));
}

TEST(LocaleTable, ShortIDsAreFourHexDigits) {
  EXPECT_EQ(ParseShortID(u"040a"), 0x040A);
  EXPECT_EQ(ParseShortID(u"0C0A"), 0x0C0A);
  for (std::u16string bad : {u"", u"40a", u"040a0", u"en", u"04 a", u"0x0a"})
    EXPECT_FALSE(ParseShortID(bad));
  EXPECT_EQ(FormatShortID(0x040A), u"040A");
  EXPECT_EQ(FormatShortID(0x0009), u"0009");
}

TEST(LocaleTable, PosixLocaleNames) {
  struct Case {
    const char* locale;
    const char* code;
    uint16_t langID;
  } cases[] = {
      {"C", "en", 0x0409},           {"POSIX", "en", 0x0409},
      {"C.UTF-8", "en", 0x0409},     {"", "en", 0x0409},
      {"de_DE.UTF-8", "de", 0x0407}, {"de_AT", "de", 0x0C07},
      {"de_BE.UTF-8", "de", 0x0407},  // territory unknown: the language's first row
      {"de", "de", 0x0407},          {"fr_CA.utf8", "fr", 0x0C0C},
      {"es_ES@euro", "es", 0x040A},  {"pt_PT.UTF-8", "pt", 0x0816},
      {"zh_TW.UTF-8", "zh", 0x0404}, {"ja_JP.eucJP", "ja", 0x0411},
      {"EN_gb", "en", 0x0809},       {"xx_YY", "xx", 0x0409},  // unknown language: English
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LocaleLanguageCode(c.locale), c.code) << c.locale;
    EXPECT_EQ(LangIDOfLocale(c.locale), c.langID) << c.locale;
  }
}

// Sets or clears the locale variables for one test and restores them afterwards.
class LocaleEnvironment : public ::testing::Test {
 protected:
  void TearDown() override {
    for (auto& [name, value] : saved_) value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
  }
  void set(const char* name, const char* value) {
    if (saved_.find(name) == saved_.end()) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }

 private:
  std::map<const char*, std::optional<std::string>> saved_;
};

TEST_F(LocaleEnvironment, FirstNonEmptyOfLcAllLcMessagesLang) {
  set("LC_ALL", nullptr);
  set("LC_MESSAGES", nullptr);
  set("LANG", nullptr);
  EXPECT_EQ(SystemLocaleName(), "C");
  set("LANG", "fr_FR.UTF-8");
  EXPECT_EQ(SystemLocaleName(), "fr_FR.UTF-8");
  set("LC_MESSAGES", "de_DE.UTF-8");
  EXPECT_EQ(SystemLocaleName(), "de_DE.UTF-8");
  set("LC_ALL", "");  // empty counts as unset
  EXPECT_EQ(SystemLocaleName(), "de_DE.UTF-8");
  set("LC_ALL", "es_ES.UTF-8");
  EXPECT_EQ(SystemLocaleName(), "es_ES.UTF-8");
}

}  // namespace
}  // namespace qor
