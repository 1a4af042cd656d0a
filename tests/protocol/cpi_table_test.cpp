// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "protocol/cpi_table.h"

namespace qor {
namespace {

TEST(CPITable, NearestValueAndIndex) {
  struct Case {
    uint32_t v, value;
    int index;
  } cases[] = {
      {0, 250, 0},      {1, 250, 0},      {250, 250, 0},      {375, 250, 0},
      {376, 500, 1},    {1625, 1500, 5},  {1626, 1750, 6},    {2500, 2500, 9},
      {3499, 3500, 13}, {3500, 3500, 13}, {100000, 3500, 13}, {0xFFFFFFFFu, 3500, 13},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetNearestCPIValue(c.v), c.value) << c.v;
    EXPECT_EQ(GetNearestCPIIndex(c.v), c.index) << c.v;
  }
}

TEST(CPITable, CodeOfALevelUsesTheLargerAxis) {
  EXPECT_EQ(GetCPICode(800, 1900), 8);
  EXPECT_EQ(GetCPICode(1900, 800), 8);
  EXPECT_EQ(GetCPICode(0, 3500), 1);
  EXPECT_EQ(GetCPICode(3500, 0), 1);
  EXPECT_EQ(GetCPICode(2500, 2500), 10);
  EXPECT_EQ(GetCPICode(250, 1), 1);
  EXPECT_EQ(GetCPICode(5000, 5000), 14);
}

}  // namespace
}  // namespace qor
