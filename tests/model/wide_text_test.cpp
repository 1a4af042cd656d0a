// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "model/wide_text.h"

namespace qor {
namespace {

TEST(WideText, Utf8RoundTrips) {
  for (const std::string s : {"", "QORProfile1.PFX", "Grüße", "日本語", "emoji 😀", "a\tb"}) {
    EXPECT_EQ(toUtf8(toUtf16(s)), s);
  }
  EXPECT_EQ(toUtf16("😀").size(), 2u);  // a surrogate pair
}

TEST(WideText, InvalidInputBecomesReplacementCharacters) {
  struct Case {
    std::string utf8;
    std::u16string expected;
  } cases[] = {
      {"\xff", u"\ufffd"},
      {"a\xc3", u"a\ufffd"},                    // cut sequence
      {"\xc0\xaf", u"\ufffd\ufffd"},            // overlong '/'
      {"\xed\xa0\x80", u"\ufffd\ufffd\ufffd"},  // encoded surrogate
  };
  for (const Case& c : cases) EXPECT_EQ(toUtf16(c.utf8), c.expected);
  EXPECT_EQ(toUtf8(std::u16string(1, u'\xd800')), "\xef\xbf\xbd");
}

TEST(WideText, FieldsReadAtMostTheirUnitsAndStopAtZero) {
  char16_t field[4] = {u'a', u'b', u'\0', u'c'};
  EXPECT_EQ(readWideField(field), u"ab");
  char16_t full[4] = {u'w', u'x', u'y', u'z'};
  EXPECT_EQ(readWideField(full), u"wxyz");
}

TEST(WideText, WriteFitsCutsOrRefuses) {
  char16_t field[4];
  std::fill(std::begin(field), std::end(field), u'#');
  ASSERT_TRUE(writeWideField(field, u"ab", TextFit::Refuse));
  EXPECT_EQ(std::u16string(field, 4), std::u16string(u"ab\0\0", 4));  // rest zeroed
  ASSERT_TRUE(writeWideField(field, u"abcd", TextFit::Refuse));       // exactly full: no terminator
  EXPECT_EQ(readWideField(field), u"abcd");
  EXPECT_FALSE(writeWideField(field, u"vwxyz", TextFit::Refuse));
  EXPECT_EQ(readWideField(field), u"abcd");  // unchanged when refused
  ASSERT_TRUE(writeWideField(field, u"vwxyz", TextFit::Cut));
  EXPECT_EQ(readWideField(field), u"vwxy");
  // A cut never leaves half a surrogate pair behind.
  ASSERT_TRUE(writeWideField(field, u"abc😀", TextFit::Cut));
  EXPECT_EQ(readWideField(field), u"abc");
}

}  // namespace
}  // namespace qor
