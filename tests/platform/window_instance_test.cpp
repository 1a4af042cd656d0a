// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "platform/linux/window_instance.h"
#include "test_support/private_bus.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using namespace std::chrono_literals;
using Outcome = WindowStart::Outcome;

// Points XDG_RUNTIME_DIR, where the settings lock lives, at a folder of the test's own.
class WindowInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) oldRuntime_ = old;
    ::setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
  }
  void TearDown() override {
    oldRuntime_ ? ::setenv("XDG_RUNTIME_DIR", oldRuntime_->c_str(), 1)
                : ::unsetenv("XDG_RUNTIME_DIR");
  }
  // The lock as qorcfg51-ctl or the monitor takes it for a moment.
  std::unique_ptr<InstanceLock> holdLock() { return InstanceLock::TryAcquire(kSettingsLockName); }

  test::TempDir dir_;
  std::optional<std::string> oldRuntime_;
};

// Runs StartWindowInstance and tells how long it took.
std::pair<WindowStart, std::chrono::milliseconds> timedStart(std::chrono::milliseconds wait) {
  const auto before = std::chrono::steady_clock::now();
  WindowStart start = StartWindowInstance(wait);
  return {std::move(start), std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - before)};
}

TEST_F(WindowInstanceTest, TheOwnerOfTheNameIsAskedToComeForward) {
  test::PrivateSessionBus bus;
  ASSERT_TRUE(bus.ok()) << "dbus-daemon could not be started";
  test::RecordingWindow window;
  ASSERT_TRUE(window.ok());
  auto lock = holdLock();  // the window holds the settings
  auto [start, took] = timedStart(5s);
  EXPECT_EQ(start.outcome, Outcome::Activated);
  EXPECT_EQ(window.activations(), 1);
  EXPECT_LT(took, 1s);
}

TEST_F(WindowInstanceTest, WithoutAnOwnerTheStartTakesTheLockAndRuns) {
  test::PrivateSessionBus bus;
  ASSERT_TRUE(bus.ok());
  auto [start, took] = timedStart(5s);
  ASSERT_EQ(start.outcome, Outcome::Run);
  EXPECT_TRUE(start.lock);
  EXPECT_FALSE(holdLock());
  EXPECT_LT(took, 1s);
}

// A held lock without an owner of the name: a window starting up (its name comes) or a moment
// of the command line (the lock comes free). The start waits for whichever comes first.
TEST_F(WindowInstanceTest, AHeldLockWaitsForTheNameOrTheLock) {
  test::PrivateSessionBus bus;
  ASSERT_TRUE(bus.ok());
  {
    auto lock = holdLock();
    std::optional<test::RecordingWindow> window;
    std::thread starting([&window] {
      std::this_thread::sleep_for(300ms);
      window.emplace();
    });
    auto [start, took] = timedStart(5s);
    starting.join();
    EXPECT_EQ(start.outcome, Outcome::Activated);
    EXPECT_EQ(window->activations(), 1);
    EXPECT_GE(took, 250ms);
    EXPECT_LT(took, 2s);
  }
  {
    auto lock = holdLock();
    std::thread moment([&lock] {
      std::this_thread::sleep_for(300ms);
      lock.reset();
    });
    auto [start, took] = timedStart(5s);
    moment.join();
    EXPECT_EQ(start.outcome, Outcome::Run);
    EXPECT_LT(took, 2s);
  }
  {
    auto lock = holdLock();  // neither comes: the start gives up after its wait, and says why
    auto [start, took] = timedStart(300ms);
    EXPECT_EQ(start.outcome, Outcome::HeldAlready);
    EXPECT_NE(start.message.find("io.github.qorcfg51"), std::string::npos) << start.message;
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 2s);
  }
}

TEST_F(WindowInstanceTest, WithoutASessionBusTheLockAloneDecidesAtOnce) {
  const std::string old =
      std::getenv("DBUS_SESSION_BUS_ADDRESS") ? std::getenv("DBUS_SESSION_BUS_ADDRESS") : "";
  ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (dir_ / "no-bus").string()).c_str(), 1);
  {
    auto lock = holdLock();
    auto [start, took] = timedStart(5s);
    EXPECT_EQ(start.outcome, Outcome::HeldAlready);
    EXPECT_FALSE(start.message.empty());
    EXPECT_LT(took, 200ms);
  }
  auto [start, took] = timedStart(5s);
  EXPECT_EQ(start.outcome, Outcome::Run);
  EXPECT_TRUE(start.lock);
  old.empty() ? ::unsetenv("DBUS_SESSION_BUS_ADDRESS")
              : ::setenv("DBUS_SESSION_BUS_ADDRESS", old.c_str(), 1);
}

}  // namespace
}  // namespace qor
