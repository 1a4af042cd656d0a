// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <poll.h>

#include <filesystem>

#include "platform/linux/linux_device_watcher.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

std::vector<DeviceChange> waitForChanges(DeviceWatcher& w) {
  pollfd p{w.fd(), POLLIN, 0};
  ::poll(&p, 1, 2000);
  return w.readChanges();
}

// Simulators appear and vanish as sockets in their folder; hidraw events need a real udev
// and are not exercised here.
TEST(LinuxDeviceWatcher, SimulatorSocketsComeAndGo) {
  test::TempDir dir;
  const auto folder = dir / "qorcfg51" / "sim";
  auto watcher = MakeLinuxDeviceWatcher(folder);
  ASSERT_GE(watcher->fd(), 0);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_TRUE(watcher->readChanges().empty());
  test::writeText(folder / "1234-01.sock", "");
  test::writeText(folder / "notes.txt", "");
  EXPECT_EQ(waitForChanges(*watcher), std::vector<DeviceChange>{DeviceChange::Arrival});
  std::filesystem::remove(folder / "1234-01.sock");
  EXPECT_EQ(waitForChanges(*watcher), std::vector<DeviceChange>{DeviceChange::Removal});
}

}  // namespace
}  // namespace qor
