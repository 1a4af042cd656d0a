// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "model/factory_defaults.h"
#include "settings/cpi_levels.h"

namespace qor {
namespace {

TMOUSEPROFILEINFO withLevels(std::initializer_list<int> on) {
  TMOUSEPROFILEINFO p{};
  RestoreFactoryProfile(p);
  for (int i = 0; i < 4; ++i) p.ConfigInfo.CPIState[i].Enabled = 0;
  for (int i : on) p.ConfigInfo.CPIState[i].Enabled = 1;
  p.ConfigInfo.CPILevel = 9;
  return p;
}

TEST(CPILevels, TheLastLevelOnStaysOn) {
  TMOUSEPROFILEINFO p = withLevels({1});
  EXPECT_FALSE(SwitchCPILevel(p, 1, false));
  EXPECT_EQ(p.ConfigInfo.CPIState[1].Enabled, 1);
  EXPECT_EQ(p.ConfigInfo.CurrentCPIIndex, 1);
  EXPECT_EQ(p.ConfigInfo.CPILevel, 4);
}

TEST(CPILevels, CurrentLevelIsTheFirstOn) {
  TMOUSEPROFILEINFO p = withLevels({3});
  EXPECT_TRUE(SwitchCPILevel(p, 2, true));
  EXPECT_EQ(p.ConfigInfo.CurrentCPIIndex, 2);
  EXPECT_EQ(p.ConfigInfo.CPILevel, 4);
  EXPECT_TRUE(SwitchCPILevel(p, 2, false));
  EXPECT_EQ(p.ConfigInfo.CurrentCPIIndex, 3);
  EXPECT_FALSE(SwitchCPILevel(p, 4, true));  // only levels 0..3 are edited
}

}  // namespace
}  // namespace qor
