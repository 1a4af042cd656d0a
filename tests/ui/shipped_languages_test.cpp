// SPDX-License-Identifier: GPL-2.0-or-later
// The ui.local that the build lays into the program folder, and the text files behind it.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "model/wide_text.h"
#include "platform/atomic_file.h"
#include "ui/language_source_file.h"
#include "ui/translated_literals.h"
#include "ui/translation.h"
#include "ui/ui_local_file.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

const char* const kShippedOrder[] = {"0409", "0407", "040c", "040a"};

TEST(TranslatedLiterals, FindsTheTextsHandedToTheTranslation) {
  struct Case {
    const char* code;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {"x = TranslateText(\"Warning\");", {"Warning"}},
      {"Translate(std::string_view(\"Add \"\n   \"this\"))", {"Add this"}},
      {"TranslateText(saved ? \"Export\" : \"Import\")", {"Export", "Import"}},
      {"TranslateIn(\"key\", down ? \"Down\" : \"Up\")", {"Down [key]", "Up [key]"}},
      {"const char* kTitle = \"Warn\" \"ing\"; f(TranslateText(kTitle));", {"Warning"}},
      {"Translate(\"Say \\\"hi\\\"\")", {"Say \"hi\""}},
      // Built at run time, or not a text of the translation.
      {"Translate(std::string_view(missing + \" can not be found!\"))", {}},
      {"SetAutoTranslate(\"no\"); AfterTranslate(); Translate(text);", {}},
      {"// TranslateText(\"commented out\")\n/* Translate(\"too\") */", {}},
  };
  for (const Case& c : cases) {
    std::map<std::string, std::string> constants;
    test::CollectTextConstants(c.code, constants);
    std::vector<std::string> texts;
    for (const auto& found : test::TranslatedLiterals(c.code, "x.cpp", constants))
      texts.push_back(found.text);
    EXPECT_EQ(texts, c.texts) << c.code;
  }
}

class ShippedLanguages : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* stage = std::getenv("QORCFG51_TEST_STAGE");
    ASSERT_TRUE(stage) << "QORCFG51_TEST_STAGE names the build's program folder";
    const auto error = ReadLanguageFile(fs::path(stage) / "ui.local", content);
    ASSERT_FALSE(error) << *error;
  }
  LanguageFileContent content;
};

TEST_F(ShippedLanguages, TheBuiltFileHoldsTheTextFilesInOrder) {
  ASSERT_EQ(content.languages.size(), std::size(kShippedOrder));
  std::vector<std::u16string> sources;
  for (std::size_t i = 0; i < std::size(kShippedOrder); ++i) {
    std::vector<uint8_t> bytes;
    const fs::path file = fs::path(QOR_LANG_DATA_DIR) / (std::string(kShippedOrder[i]) + ".txt");
    ASSERT_FALSE(readWholeFile(file, bytes));
    LanguageEntry language;
    const auto error = ParseLanguageSourceText(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), language);
    ASSERT_FALSE(error) << file << ": " << *error;
    EXPECT_EQ(content.languages[i].shortID, toUtf16(kShippedOrder[i]));
    EXPECT_EQ(content.languages[i].lines, language.lines) << kShippedOrder[i];
    for (const std::u16string& line : language.lines)
      sources.emplace_back(SplitDictionaryLine(line)->first);
  }
  SortTextSet(sources);
  EXPECT_EQ(content.original, sources);
}

TEST_F(ShippedLanguages, EveryLanguageTranslatesEverySourceTextDistinctly) {
  for (const LanguageEntry& language : content.languages) {
    const std::string id = toUtf8(language.shortID);
    std::map<std::u16string, std::u16string> translations;
    std::map<std::u16string, std::u16string> sourceOf;
    for (const std::u16string& line : language.lines) {
      const auto parts = SplitDictionaryLine(line);
      ASSERT_TRUE(parts) << id;
      translations.emplace(parts->first, parts->second);
      // Switching back maps a shown text to its source: two sources may not share one. Texts
      // with a context ("Down [key]") are only built in code, never mapped back.
      if (parts->first.ends_with(u"]") && parts->first.find(u" [") != std::u16string::npos)
        continue;
      const auto [it, added] = sourceOf.emplace(parts->second, parts->first);
      EXPECT_TRUE(added) << id << ": \"" << toUtf8(parts->second) << "\" translates both \""
                         << toUtf8(it->second) << "\" and \"" << toUtf8(parts->first) << "\"";
    }
    for (const std::u16string& source : content.original) {
      const auto it = translations.find(source);
      EXPECT_TRUE(it != translations.end() && !it->second.empty())
          << id << " lacks \"" << toUtf8(source) << "\"";
    }
  }
}

TEST_F(ShippedLanguages, CarryEveryTextTheCodeTranslates) {
  const auto texts = test::TranslatedLiteralsBelow(QOR_SOURCE_DIR);
  ASSERT_GT(texts.size(), 50u) << "the scan of " << QOR_SOURCE_DIR << " found too few texts";
  // A dictionary line's source ends at its first "=": such a text is never found.
  for (const test::TranslatedLiteral& t : texts)
    EXPECT_EQ(t.text.find('='), std::string::npos)
        << t.where << ": \"" << t.text << "\" holds \"=\", which no dictionary line can carry";
  for (const LanguageEntry& language : content.languages) {
    const TranslationDictionary dictionary(language.lines);
    for (const test::TranslatedLiteral& t : texts) {
      EXPECT_TRUE(dictionary.FindTranslation(toUtf16(t.text)))
          << t.where << ": " << toUtf8(language.shortID) << " lacks \"" << t.text << "\"";
    }
  }
}

TEST_F(ShippedLanguages, CarryTheTextsAsTheProgramWritesThem) {
  // Texts whose spacing or spelling a tidy-up could break; the code looks them up verbatim.
  const char* const required[] = {
      "You can assign macros to buttons shall not exceed 5 .",
      "You can create macros shall not exceed 20 .",
      "Are you sure you want to reset this profile ?",
      "Are your sure you want to delete this macro?",
      "Unreasonable macro detected , Do you wish to continue?",
      "The settings was changed, save the current setting anyway?",
      "Backward(Mouse) ",
      "Backward(Mouse)",
      "Wheel up(Mouse)",
      "Number of loops(1-255)",
      "Fire Key...",
      "Example:Win+Ctrl+Shift+Alt+G+H",
      "Gaming Mouse Driver",
  };
  for (const char* text : required)
    EXPECT_TRUE(std::binary_search(content.original.begin(), content.original.end(), toUtf16(text)))
        << "\"" << text << "\"";
}

TEST_F(ShippedLanguages, NameThingsAsTheLinuxDesktopsDo) {
  const auto translation = [&](std::string_view id, std::string_view source) {
    for (const LanguageEntry& language : content.languages) {
      const TranslationDictionary dictionary(language.lines);
      const std::u16string* found = dictionary.FindTranslation(toUtf16(source));
      if (language.shortID == toUtf16(id) && found) return toUtf8(*found);
    }
    return std::string("(none)");
  };
  // What GNOME and KDE call the setting, and what the key does on them (the sources stay the
  // names the profiles and the menu table use).
  const std::array<const char*, 3> named[] = {
      {"0407", "Enhance pointer precision", "Zeigerbeschleunigung"},
      {"040c", "Enhance pointer precision", "Accélération du pointeur"},
      {"040a", "Enhance pointer precision", "Aceleración del puntero"},
      {"0407", "Apply", "Anwenden"},
      {"0409", "Open Explorer", "Open File Manager"},
      {"0409", "Lock PC", "Lock Screen"},
      {"040c", "Backward", "Page précédente"},
      {"040c", "Forward", "Page suivante"},
  };
  for (const auto& [id, source, expected] : named)
    EXPECT_EQ(translation(id, source), expected) << id << " \"" << source << "\"";
  // Words that name what is not there on Linux, or another thing; "" checks every language.
  const std::array<const char*, 2> avoided[] = {
      {"", "Explor"},
      {"", " PC"},
      {"0407", "bernehm"},
      {"0407", "bernomm"},
      {"040c", "pendant l'application"},
      {"040a", "durante la aplicación"},
  };
  for (const LanguageEntry& language : content.languages)
    for (const std::u16string& line : language.lines)
      for (const auto& [id, word] : avoided)
        if (*id == 0 || language.shortID == toUtf16(id)) {
          EXPECT_EQ(SplitDictionaryLine(line)->second.find(toUtf16(word)), std::u16string::npos)
              << toUtf8(language.shortID) << ": " << toUtf8(line);
        }
}

TEST_F(ShippedLanguages, FrenchKeepsItsSpaceBeforeHighPunctuationOnTheLine) {
  // French sets a space before : ; ? and !; an ordinary one lets the sign wrap onto a line of
  // its own, a no-break one (U+00A0, or the narrow U+202F) keeps it with its word.
  for (const LanguageEntry& language : content.languages) {
    if (language.shortID != u"040c") continue;
    for (const std::u16string& line : language.lines) {
      const std::u16string_view text = SplitDictionaryLine(line)->second;
      for (std::size_t i = 1; i < text.size(); ++i)
        if (std::u16string_view(u":;?!").find(text[i]) != std::u16string_view::npos) {
          EXPECT_NE(text[i - 1], u' ') << toUtf8(line);
        }
    }
  }
}

TEST_F(ShippedLanguages, TheCombinationExampleNamesModifiersAsTheLiveTextDoes) {
  // The combination dialog shows what was pressed with the recorder's names (Ctrl+, Shift+,
  // which stay English); its example must not name them otherwise.
  for (const LanguageEntry& language : content.languages) {
    for (const std::u16string& line : language.lines) {
      const auto parts = SplitDictionaryLine(line);
      if (parts->first != u"Example:Win+Ctrl+Shift+Alt+G+H") continue;
      EXPECT_NE(parts->second.find(u"Win+Ctrl+Shift+Alt+G+H"), std::u16string::npos)
          << toUtf8(language.shortID);
    }
  }
}

}  // namespace
}  // namespace qor
