// SPDX-License-Identifier: GPL-2.0-or-later
// TuiLanguage: loading ui.local, switching languages, the start-up choice.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_support/temp_dir.h"
#include "ui/language.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

LanguageEntry language(std::u16string id, std::vector<std::u16string> lines) {
  return LanguageEntry{std::move(id), std::move(lines)};
}

const LanguageEntry kSpanish = language(u"040a", {u"Apply=Aplicar", u"Cancel=Cancelar"});
const LanguageEntry kFrench = language(u"040c", {u"Apply=Appliquer", u"Cancel=Annuler"});

// A program folder, its ui.local and the component reading it.
class LanguageTest : public ::testing::Test {
 protected:
  void writeFile(std::vector<LanguageEntry> languages) {
    LanguageFileContent content;
    content.original = {u"Apply", u"Cancel"};
    content.languages = std::move(languages);
    ASSERT_FALSE(WriteLanguageFile(dir / "ui.local", content));
  }
  TuiLanguage& create(std::string locale = "C") {
    language_.emplace(LanguageEnvironment{service, dir.path(), std::move(locale)});
    language_->OnLanguageChanged = [this](TuiLanguage& component, const std::u16string& id,
                                          const std::u16string& longName) {
      EXPECT_EQ(&component, &*language_);
      events.push_back({id, longName});
    };
    return *language_;
  }

  struct Event {
    std::u16string id, longName;
    bool operator==(const Event&) const = default;
  };
  test::TempDir dir;
  TextTranslationService service;
  std::vector<Event> events;

 private:
  std::optional<TuiLanguage> language_;
};

TEST_F(LanguageTest, LoadsTheProgramFoldersFileAtCreation) {
  writeFile({kSpanish, kFrench});
  TuiLanguage& lang = create();
  EXPECT_FALSE(lang.LastError());
  EXPECT_EQ(lang.Original(), (std::vector<std::u16string>{u"Apply", u"Cancel"}));
  ASSERT_EQ(lang.Resources().size(), 2u);
  EXPECT_EQ(lang.GetLanguageIndexByShortID(u"040C"), 1);
  EXPECT_EQ(lang.GetLanguageIndexByShortID(u"0407"), -1);
  EXPECT_EQ(lang.GetLanguageShortIDByIndex(0), u"040a");
  EXPECT_EQ(lang.GetLanguageShortIDByIndex(-1), u"");
  EXPECT_EQ(lang.GetLanguageShortIDByIndex(2), u"");  // equal to the number of languages
  EXPECT_EQ(lang.Lang(), u"");
  EXPECT_FALSE(service.HasDictionary());
}

TEST_F(LanguageTest, SetLangFollowsTheSwitchingRules) {
  writeFile({kSpanish, kFrench});
  TuiLanguage& lang = create();

  lang.SetLang(u"040A");  // short IDs in any letter case
  EXPECT_EQ(service.Translate(u"Apply"), u"Aplicar");
  lang.SetLang(u"040c");
  EXPECT_EQ(service.Translate(u"Apply"), u"Appliquer");

  lang.SetLang(u"0411");  // not in the list: the texts stay, the name and event follow
  EXPECT_EQ(lang.Lang(), u"0411");
  EXPECT_EQ(service.Translate(u"Apply"), u"Appliquer");

  lang.SetLang(u"en");
  EXPECT_FALSE(service.HasDictionary());
  EXPECT_EQ(service.Translate(u"Apply"), u"Apply");

  const std::vector<Event> expected = {{u"040A", u"Spanish (Spain, Traditional Sort)"},
                                       {u"040c", u"French (France)"},
                                       {u"0411", u"Japanese (Japan)"},
                                       {u"en", u""}};
  EXPECT_EQ(events, expected);
}

TEST_F(LanguageTest, ADamagedOrMissingFileLeavesTheProgramUntranslated) {
  TuiLanguage& none = create();
  EXPECT_TRUE(none.Resources().empty());
  EXPECT_FALSE(none.LastError());

  test::writeBytes(dir / "ui.local", {0xFF, 0xFF, 0xFF, 0x7F, 'A', 0});
  TuiLanguage& lang = create();
  ASSERT_TRUE(lang.LastError());
  EXPECT_NE(lang.LastError()->find("ui.local"), std::string::npos) << *lang.LastError();
  EXPECT_TRUE(lang.Resources().empty());
  lang.ChooseStartupLanguage(0);
  EXPECT_EQ(lang.Lang(), u"0409");
  EXPECT_EQ(service.Translate(u"Apply"), u"Apply");
}

TEST_F(LanguageTest, LoadAppendsLanguagesAndSaveWritesTheStore) {
  writeFile({kSpanish});
  TuiLanguage& lang = create();
  EXPECT_TRUE(lang.AddLang(u"0407"));
  EXPECT_FALSE(lang.AddLang(u"040A"));  // exists, in another letter case
  EXPECT_FALSE(lang.AddLang(u""));
  ASSERT_TRUE(lang.SaveToFile(dir / "copy.local"));

  ASSERT_TRUE(lang.LoadFromFile(dir / "copy.local"));  // appended, not replaced
  ASSERT_EQ(lang.Resources().size(), 4u);
  EXPECT_EQ(lang.GetLanguageShortIDByIndex(2), u"040a");
  EXPECT_EQ(lang.Resources()[2].lines, kSpanish.lines);
  EXPECT_TRUE(lang.Resources()[3].lines.empty());

  EXPECT_TRUE(lang.LoadFromFile(dir / "missing.local"));
  EXPECT_EQ(lang.Resources().size(), 4u);
  EXPECT_FALSE(lang.SaveToFile(dir / "no such folder" / "x.local"));
  EXPECT_TRUE(lang.LastError());
}

TEST_F(LanguageTest, StartUpChoosesTheStoredLanguage) {
  struct Case {
    const char* what;
    std::vector<LanguageEntry> languages;
    int32_t stored;
    std::u16string lang;
    std::u16string apply;  // how "Apply" shows afterwards
  } cases[] = {
      {"stored index 1", {kSpanish, kFrench}, 1, u"040c", u"Appliquer"},
      {"stored index 0", {kSpanish, kFrench}, 0, u"040a", u"Aplicar"},
      {"index outside the list", {kSpanish, kFrench}, 5, u"", u"Apply"},
      // One language: the name becomes 0409, which switches no text.
      {"single language", {kSpanish}, 3, u"0409", u"Apply"},
      {"single language at 0", {kSpanish}, 0, u"0409", u"Aplicar"},
      {"no languages", {}, 0, u"0409", u"Apply"},
  };
  for (const Case& c : cases) {
    writeFile(c.languages);
    TuiLanguage& lang = create("fr_FR.UTF-8");  // no language is named "fr"
    lang.ChooseStartupLanguage(c.stored);
    EXPECT_EQ(lang.Lang(), c.lang) << c.what;
    EXPECT_EQ(service.Translate(u"Apply"), c.apply) << c.what;
    service.DropDictionary();
  }
}

TEST_F(LanguageTest, StartUpFirstTriesTheUsersLanguageCode) {
  writeFile({kSpanish, language(u"de", {u"Apply=Anwenden"})});
  TuiLanguage& lang = create("de_AT.UTF-8@euro");
  lang.ChooseStartupLanguage(-1);  // equals the position of the empty name: no SetLang
  EXPECT_EQ(lang.Lang(), u"");
  EXPECT_EQ(service.Translate(u"Apply"), u"Anwenden");
  EXPECT_TRUE(events.empty());
}

TEST_F(LanguageTest, LongNamesAndTheSystemLanguage) {
  TuiLanguage& lang = create("pt_BR.UTF-8");
  EXPECT_EQ(lang.GetLanguageLongNameByShortID(u"0407"), u"German (Germany)");
  EXPECT_EQ(lang.GetLanguageLongNameByShortID(u"040C"), u"French (France)");
  EXPECT_EQ(lang.GetLanguageLongNameByLangID(0x0411), u"Japanese (Japan)");
  EXPECT_EQ(lang.GetLanguageLongNameByShortID(u"7777"), u"");
  EXPECT_EQ(lang.GetLanguageLongNameByShortID(u"en"), u"");
  EXPECT_EQ(lang.GetLanguageLongNameByLangID(0x7777), u"");
  EXPECT_EQ(lang.GetOSDefaultLang(), u"0416");
}

TEST(LanguageImageFolder, FollowsTheLanguageWhenItsFolderExists) {
  test::TempDir program;
  for (const char* folder : {"0407", "040C", "0409"})
    fs::create_directories(program / "Images" / folder);
  EXPECT_EQ(LanguageImageFolder(program.path(), u"0407"), program / "Images/0407");
  EXPECT_EQ(LanguageImageFolder(program.path(), u"040c"), program / "Images/040C");
  for (std::u16string other : {u"040a", u"", u"..", u"0407/.."})
    EXPECT_EQ(LanguageImageFolder(program.path(), other), program / "Images/0409");
}

}  // namespace
}  // namespace qor
