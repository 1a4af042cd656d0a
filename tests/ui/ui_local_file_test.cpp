// SPDX-License-Identifier: GPL-2.0-or-later
// The ui.local layout, checked against images built here by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support/bytes.h"
#include "test_support/temp_dir.h"
#include "ui/ui_local_file.h"

namespace qor {
namespace {

using test::Bytes;

// An independent encoder: a 32-bit little-endian length in UTF-16 units, then the units.
void appendInt(Bytes& b, uint32_t v) {
  b.resize(b.size() + 4);
  test::put32(b, b.size() - 4, v);
}
void appendText(Bytes& b, const std::u16string& text) {
  appendInt(b, static_cast<uint32_t>(text.size()));
  for (char16_t u : text) {
    b.push_back(static_cast<uint8_t>(u & 0xFF));
    b.push_back(static_cast<uint8_t>(u >> 8));
  }
}

LanguageFileContent parsed(const Bytes& image) {
  LanguageFileContent content;
  const auto error = ParseLanguageFile(image.data(), image.size(), content);
  EXPECT_FALSE(error) << *error;
  return content;
}

TEST(UiLocalFile, ReadsAFileWrittenByAnotherEncoderAsSets) {
  Bytes image;
  // Unsorted, with a repeat, a lone LF and no CR LF after the last line: all still sets.
  appendText(image, u"Cancel\r\nApply\r\nApply\r\nDown\nM\u00fcll \U0001F600");
  appendInt(image, 2);
  appendText(image, u"040a");
  appendText(image, u"040C");
  appendText(image, u"Cancel=Cancelar\r\nApply=Aplicar\r\n");
  appendText(image, u"Apply=Appliquer\r\n\r\nDown=Bas=Haut\r\n");

  const LanguageFileContent c = parsed(image);
  EXPECT_EQ(c.original,
            (std::vector<std::u16string>{u"Apply", u"Cancel", u"Down", u"M\u00fcll \U0001F600"}));
  ASSERT_EQ(c.languages.size(), 2u);
  EXPECT_EQ(c.languages[0].shortID, u"040a");
  EXPECT_EQ(c.languages[0].lines,
            (std::vector<std::u16string>{u"Apply=Aplicar", u"Cancel=Cancelar"}));
  EXPECT_EQ(c.languages[1].shortID, u"040C");
  EXPECT_EQ(c.languages[1].lines,
            (std::vector<std::u16string>{u"Apply=Appliquer", u"Down=Bas=Haut"}));
}

TEST(UiLocalFile, WritesTheLayoutByteForByte) {
  LanguageFileContent content;
  content.original = {u"B", u"A", u"B"};
  content.languages = {{u"0407", {u"B=b\u00e4", u"A=a"}}, {u"040c", {}}};
  Bytes image;
  ASSERT_FALSE(EncodeLanguageFile(content, image));

  const Bytes expected = {
      6,   0, 0,    0,                                      // source texts: 6 units
      'A', 0, '\r', 0, '\n', 0, 'B',  0, '\r', 0, '\n', 0,  // sorted, once each, CR LF
      2,   0, 0,    0,                                      // two languages
      4,   0, 0,    0, '0',  0, '4',  0, '0',  0, '7',  0,  // short IDs in list order
      4,   0, 0,    0, '0',  0, '4',  0, '0',  0, 'c',  0,  //
      11,  0, 0,    0,                                      // dictionary of 0407: 11 units
      'A', 0, '=',  0, 'a',  0, '\r', 0, '\n', 0,           //
      'B', 0, '=',  0, 'b',  0, 0xE4, 0, '\r', 0, '\n', 0,  // U+00E4 as one unit
      0,   0, 0,    0,                                      // dictionary of 040c: empty
  };
  EXPECT_EQ(image, expected);
}

TEST(UiLocalFile, AFileWithoutLanguagesHoldsOnlyItsSourceTexts) {
  Bytes image;
  appendText(image, u"");
  appendInt(image, 0);
  const LanguageFileContent c = parsed(image);
  EXPECT_TRUE(c.original.empty());
  EXPECT_TRUE(c.languages.empty());
}

TEST(UiLocalFile, RefusesDamagedImagesWithoutTouchingTheResult) {
  auto header = [](std::u16string source) {
    Bytes b;
    appendText(b, source);
    return b;
  };
  Bytes valid = header(u"Apply\r\n");
  appendInt(valid, 1);
  appendText(valid, u"0407");
  appendText(valid, u"Apply=\u00dcbernehmen\r\n");

  struct Case {
    const char* what;
    Bytes image;
    const char* reason;  // part of the message
  };
  std::vector<Case> cases;
  cases.push_back({"empty file", {}, "ends inside"});
  cases.push_back({"cut length", {2, 0, 0}, "ends inside"});
  {
    Bytes b;
    appendInt(b, 0x7FFFFFFF);  // a 2 GB source list in a few bytes
    appendText(b, u"x");
    cases.push_back({"2 GB length", b, "runs past the end"});
  }
  {
    Bytes b;
    appendInt(b, 0xFFFFFFFF);
    cases.push_back({"negative length", b, "negative"});
  }
  cases.push_back({"odd byte count", Bytes(valid.begin(), valid.end() - 1), "runs past the end"});
  cases.push_back({"truncated dictionary", Bytes(valid.begin(), valid.end() - 6), "runs past"});
  {
    Bytes b = header(u"");
    appendInt(b, 0x80000000);
    cases.push_back({"negative count", b, "negative"});
  }
  {
    Bytes b = header(u"");
    appendInt(b, 0x7FFFFFFF);
    appendText(b, u"0407");
    appendText(b, u"");
    cases.push_back({"huge count", b, "needs more"});
  }
  {
    Bytes b = header(u"");
    appendInt(b, 2);
    appendText(b, u"0407");
    appendText(b, u"");
    appendText(b, u"");
    appendText(b, u"");
    cases.push_back({"empty short ID", b, "short ID of language 2"});
  }
  {
    Bytes b = header(u"");
    appendInt(b, 1);
    appendText(b, u"../x");
    appendText(b, u"");
    cases.push_back({"short ID naming a path", b, "not a language identifier"});
  }
  {
    Bytes b = valid;
    b.push_back(0);
    cases.push_back({"trailing byte", b, "after the last dictionary"});
  }

  for (const Case& c : cases) {
    LanguageFileContent out;
    out.original = {u"kept"};
    const auto error = ParseLanguageFile(c.image.data(), c.image.size(), out);
    ASSERT_TRUE(error) << c.what;
    EXPECT_NE(error->find(c.reason), std::string::npos) << c.what << ": " << *error;
    EXPECT_EQ(out.original, std::vector<std::u16string>{u"kept"}) << c.what;
    EXPECT_TRUE(out.languages.empty()) << c.what;
  }
  EXPECT_FALSE(parsed(valid).languages.empty());
}

TEST(UiLocalFile, FileRoundTripAndErrorsNameTheFile) {
  test::TempDir dir;
  LanguageFileContent content;
  content.original = {u"Apply", u"\U0001F600 ok"};
  content.languages = {{u"0409", {u"Apply=Apply"}}, {u"0411", {u"\U0001F600 ok=\u65e5\u672c"}}};
  ASSERT_FALSE(WriteLanguageFile(dir / "ui.local", content));
  LanguageFileContent back;
  ASSERT_FALSE(ReadLanguageFile(dir / "ui.local", back));
  EXPECT_EQ(back.original, content.original);
  ASSERT_EQ(back.languages.size(), 2u);
  EXPECT_EQ(back.languages[1].shortID, u"0411");
  EXPECT_EQ(back.languages[1].lines, content.languages[1].lines);

  test::writeBytes(dir / "bad.local", {1, 0});
  const auto error = ReadLanguageFile(dir / "bad.local", back);
  ASSERT_TRUE(error);
  EXPECT_NE(error->find((dir / "bad.local").string()), std::string::npos) << *error;
  EXPECT_TRUE(ReadLanguageFile(dir / "missing.local", back));
}

TEST(UiLocalFile, ShortIDsAndDictionaryLines) {
  EXPECT_TRUE(IsValidShortID(u"040a"));
  EXPECT_TRUE(IsValidShortID(u"zh-Hans_1"));
  for (std::u16string bad : {u"", u"04 0a", u"../x", u"a/b", u"x.txt", u"0123456789abcdefg"})
    EXPECT_FALSE(IsValidShortID(bad)) << std::string(bad.begin(), bad.end());
  EXPECT_TRUE(SameShortID(u"040A", u"040a"));
  EXPECT_FALSE(SameShortID(u"040a", u"040b"));

  const auto split = SplitDictionaryLine(u"a=b=c");
  ASSERT_TRUE(split);
  EXPECT_EQ(split->first, u"a");
  EXPECT_EQ(split->second, u"b=c");
  EXPECT_FALSE(SplitDictionaryLine(u"no equals sign"));
}

}  // namespace
}  // namespace qor
