// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "platform/linux/udev_wait_policy.h"

namespace qor {
namespace {

TEST(UdevWaitPolicy, WaitsOncePerNodeAndNeverWithoutUdev) {
  UdevWaitPolicy withUdev(true);
  EXPECT_TRUE(withUdev.ShouldWait("/dev/hidraw3", 100));
  EXPECT_FALSE(withUdev.ShouldWait("/dev/hidraw3", 100));  // still no access: no second wait
  EXPECT_TRUE(withUdev.ShouldWait("/dev/hidraw3", 101));   // plugged in again: a new node
  EXPECT_TRUE(withUdev.ShouldWait("/dev/hidraw4", 100));
  UdevWaitPolicy withoutUdev(false);
  EXPECT_FALSE(withoutUdev.ShouldWait("/dev/hidraw3", 100));
}

}  // namespace
}  // namespace qor
