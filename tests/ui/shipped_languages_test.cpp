// SPDX-License-Identifier: GPL-2.0-or-later
// The ui.local that the build lays into the program folder, and the text files behind it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "model/wide_text.h"
#include "platform/atomic_file.h"
#include "ui/language_source_file.h"
#include "ui/ui_local_file.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

const char* const kShippedOrder[] = {"0409", "0407", "040c", "040a"};

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
