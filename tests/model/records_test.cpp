// SPDX-License-Identifier: GPL-2.0-or-later
// Text fields inside the stored records, checked through their byte images.
#include <gtest/gtest.h>

#include "model/profile_records.h"
#include "model/wide_text.h"
#include "test_support/bytes.h"

namespace qor {
namespace {

TEST(Records, FileNameOfTwentyOneUnitsHasNoTerminator) {
  TProfileSettingInfo e{};
  const std::string name = "ABCDEFGHIJKLMNOPQ.PFX";  // 21 units
  ASSERT_TRUE(writeWideFieldUtf8(e.FileName, name, TextFit::Refuse));
  const test::Bytes b = test::imageOf(e);
  EXPECT_EQ(test::wideAt(b, 4098, 21), name);
  EXPECT_EQ(test::u16At(b, 4140), 0);  // MacroPath starts right after, untouched
  EXPECT_EQ(readWideFieldUtf8(e.FileName), name);
  EXPECT_FALSE(writeWideFieldUtf8(e.FileName, name + "X", TextFit::Refuse));
}

TEST(Records, MacroNameIsCutToFiftyUnits) {
  TMACROKEYINFO m{};
  ASSERT_TRUE(writeWideFieldUtf8(m.szMacroName, std::string(60, 'm'), TextFit::Cut));
  const test::Bytes b = test::imageOf(m);
  EXPECT_EQ(test::wideAt(b, 780, 50), std::string(50, 'm'));
  EXPECT_EQ(test::i32At(b, 880), 0);  // Version after the name stays 0
}

TEST(Records, FreshProfileImageIsAllZero) {
  const test::Bytes b = test::imageOf(TMOUSEPROFILEINFO{});
  EXPECT_EQ(b, test::Bytes(109888, 0));
}

}  // namespace
}  // namespace qor
