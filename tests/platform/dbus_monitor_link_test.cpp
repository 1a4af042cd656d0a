// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/linux/dbus_monitor_link.h"
#include "test_support/private_bus.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

// A stand-in monitor program that leaves a mark when it is started.
fs::path markingProgram(const test::TempDir& dir) {
  const fs::path program = dir / "corvnmon";
  test::writeText(program, "#!/bin/sh\ntouch \"$(dirname \"$0\")/started\"\n");
  ::chmod(program.c_str(), 0755);
  return program;
}

bool appears(const fs::path& file) {
  for (int i = 0; i < 100; ++i) {
    if (fs::exists(file)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TEST(DbusMonitorLink, NotifiesTheRunningMonitor) {
  test::PrivateSessionBus bus;
  ASSERT_TRUE(bus.ok()) << "dbus-daemon could not be started";
  test::RecordingMonitor monitor;
  ASSERT_TRUE(monitor.ok());
  test::TempDir dir;
  DbusMonitorLink link(markingProgram(dir));
  EXPECT_TRUE(link.MonitorRunning());
  link.Notify(0, 0);
  link.Notify(1, 3);
  EXPECT_EQ(monitor.calls(), (std::vector<std::pair<uint32_t, uint32_t>>{{0, 0}, {1, 3}}));
  link.Start();  // the name has an owner: nothing is started
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(dir / "started"));
}

TEST(DbusMonitorLink, StartsTheProgramWhenNoMonitorRuns) {
  test::PrivateSessionBus bus;
  ASSERT_TRUE(bus.ok());
  test::TempDir dir;
  DbusMonitorLink link(markingProgram(dir));
  EXPECT_FALSE(link.MonitorRunning());
  const auto before = std::chrono::steady_clock::now();
  link.Notify(0, 0);  // dropped at once
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
  link.Start();
  EXPECT_TRUE(appears(dir / "started"));
}

TEST(DbusMonitorLink, WithoutABusOrProgramNothingHappens) {
  test::TempDir dir;
  const std::string old =
      std::getenv("DBUS_SESSION_BUS_ADDRESS") ? std::getenv("DBUS_SESSION_BUS_ADDRESS") : "";
  ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (dir / "no-bus").string()).c_str(), 1);
  DbusMonitorLink link(markingProgram(dir));
  link.Start();
  link.Notify(1, 2);
  EXPECT_FALSE(link.MonitorRunning());
  EXPECT_FALSE(fs::exists(dir / "started"));
  old.empty() ? ::unsetenv("DBUS_SESSION_BUS_ADDRESS")
              : ::setenv("DBUS_SESSION_BUS_ADDRESS", old.c_str(), 1);
  test::PrivateSessionBus bus;
  DbusMonitorLink missing(dir / "no-such-program");
  missing.Start();  // no program file: nothing is reported
}

}  // namespace
}  // namespace qor
