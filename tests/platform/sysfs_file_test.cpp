// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/sysfs_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_support/temp_dir.h"

namespace qor {
namespace {

// sysfs reports a text attribute as a page long whatever it holds; what it holds is read, and
// a small limit refers to that.
TEST(SysfsFile, ReadsWhatAnAttributeHoldsNotItsReportedSize) {
  const char* attribute = "/sys/class/net/lo/mtu";
  struct stat st {};
  if (::stat(attribute, &st) != 0) GTEST_SKIP() << "no " << attribute << " here";
  ASSERT_GT(st.st_size, 256) << "sysfs no longer reports a page for a text attribute";
  std::string text;
  ASSERT_TRUE(ReadSysfsFile(attribute, 256, text));
  EXPECT_FALSE(text.empty());
  EXPECT_LT(text.size(), 256u);
  EXPECT_EQ(text.back(), '\n');
}

TEST(SysfsFile, RefusesMoreThanTheLimitAndWhatIsMissing) {
  test::TempDir dir;
  test::writeText(dir / "long", std::string(300, 'x'));
  std::string text = "kept";
  EXPECT_FALSE(ReadSysfsFile(dir / "long", 256, text));
  EXPECT_TRUE(ReadSysfsFile(dir / "long", 300, text));
  EXPECT_EQ(text.size(), 300u);
  EXPECT_FALSE(ReadSysfsFile(dir / "missing", 256, text));
}

}  // namespace
}  // namespace qor
