// SPDX-License-Identifier: GPL-2.0-or-later
// Profiles that follow the focused application: the choice, and the switch through Apply.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/app_profile_follower.h"
#include "app/profile_switch.h"
#include "app/thread_call.h"
#include "device/hid_data.h"
#include "model/stored_profile.h"
#include "platform/instance_lock.h"
#include "platform/linux/sqlite_registry.h"
#include "sim/in_process_backend.h"
#include "test_support/bytes.h"
#include "test_support/recording_pointer_settings.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using Names = std::vector<std::string>;

TEST(AppProfileFollower, BoundApplicationsBringTheirProfileAndLeavingReturns) {
  const std::vector<AppBinding> bindings = {{"steam_app_570", 3}, {"firefox", 2}, {"term", 1}};
  struct Step {
    Names focus;
    int current;                  // profile index current when the focus moves
    std::optional<int> switchTo;  // what the follower asks for
  } steps[] = {
      {{"xterm", "XTerm"}, 0, std::nullopt},        // unbound, nothing to do
      {{"steam_app_570", "steam_app_570"}, 4, 2},   // bound: its profile; 4 is remembered
      {{"Navigator", "firefox"}, 2, 1},             // bound to bound: no return yet
      {{"Navigator", "Firefox"}, 1, std::nullopt},  // same profile
      {{}, 1, 4},                                   // no window: back to where it began
      {{}, 4, std::nullopt},
      {{"term"}, 4, 0},  // a binding to profile 1 works too
      {{"gimp"}, 0, 4},
      {{"term"}, 0, std::nullopt},  // already current: nothing, remembered
      {{"gimp"}, 0, std::nullopt},  // returning to the same: nothing
  };
  AppProfileFollower follower;
  int n = 0;
  for (const Step& s : steps)
    EXPECT_EQ(follower.FocusChanged(bindings, s.focus, s.current), s.switchTo) << "step " << n++;
}

class ProfileSwitchTest : public ::testing::Test {
 protected:
  ProfileSwitchTest() {
    ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);  // the settings lock lives there
  }
  test::TempDir dir;
  SqliteRegistry registry{dir / "user.db", dir / "machine.db"};
  DataModuleEnvironment env{registry, dir / "docs", dir / "program"};
  sim::InProcessHidBackend backend{};
  TuiHIDData device{backend, {}};
  std::shared_ptr<test::RecordingPointerSettings> pointer =
      std::make_shared<test::RecordingPointerSettings>();

  // Profile 3 lit blue with pointer speed 17, saved as Apply saves.
  void storeProfile3() {
    TDM dm(env, nullptr);
    dm.SwitchToProfile(2);
    dm.FCurrentProfileInfo.ConfigInfo.LEDConfig = {0, 0, 255, 3, 0, 0};
    dm.FCurrentProfileInfo.ConfigInfo.PointerSpeed = 17;
    dm.SaveBackToCurrentProfileInfo();
    ASSERT_TRUE(dm.SaveAllProfileData());
  }
};

TEST_F(ProfileSwitchTest, SwitchesSavesAndUploadsLikeApply) {
  storeProfile3();
  std::string problem;
  ASSERT_EQ(SwitchProfileAndApply(env, {2}, device, pointer, problem),
            ProfileSwitchResult::Switched)
      << problem;
  ASSERT_TRUE(TuiThread::WaitForWorkers(std::chrono::seconds(5)));
  const sim::DeviceMemory& m = backend.firmware(0).memory();
  // LED block: 255 - G, 255 - B, 255 - R, brightness, breathing.
  EXPECT_EQ(test::Bytes(m.begin() + 2177, m.begin() + 2183), (test::Bytes{255, 0, 255, 3, 0, 0}));
  EXPECT_EQ(backend.firmware(0).command1().count, 1u);
  EXPECT_EQ(StoredCurrentProfileIndex(registry), 2);
  EXPECT_EQ(pointer->calls(),
            (std::vector<std::string>{"acceleration 0 0,0,0", "speed 17", "wheel 3"}));
}

TEST_F(ProfileSwitchTest, RefusedWhileTheWindowHoldsTheSettings) {
  storeProfile3();
  const auto window = InstanceLock::TryAcquire(kSettingsLockName);
  ASSERT_TRUE(window);
  std::string problem;
  EXPECT_EQ(SwitchProfileAndApply(env, {2}, device, pointer, problem),
            ProfileSwitchResult::WindowOpen);
  EXPECT_EQ(backend.firmware(0).command6().count, 0u);  // nothing reached the mouse
  EXPECT_EQ(StoredCurrentProfileIndex(registry), 0);    // as the first start stored it
  EXPECT_EQ(pointer->calls(), std::vector<std::string>{});
}

TEST_F(ProfileSwitchTest, WithoutAMouseTheSwitchIsStillSaved) {
  sim::InProcessHidBackend none({}, 0);
  TuiHIDData absent(none, {});
  std::string problem;
  EXPECT_EQ(SwitchProfileAndApply(env, {1}, absent, pointer, problem),
            ProfileSwitchResult::NoMouse);
  EXPECT_EQ(StoredCurrentProfileIndex(registry), 1);
  EXPECT_EQ(SwitchProfileAndApply(env, {5}, absent, pointer, problem), ProfileSwitchResult::Failed);
}

// A caller that asks only while the mouse is there (the bus interface) changes nothing
// without one.
TEST_F(ProfileSwitchTest, OnlyWithAMouseNothingChangesWithoutOne) {
  sim::InProcessHidBackend none({}, 0);
  TuiHIDData absent(none, {});
  std::string problem;
  EXPECT_EQ(SwitchProfileAndApply(env, {1, true}, absent, pointer, problem),
            ProfileSwitchResult::NoMouse);
  EXPECT_EQ(StoredCurrentProfileIndex(registry), std::nullopt);  // nothing was even created
  EXPECT_EQ(pointer->calls(), std::vector<std::string>{});
}

}  // namespace
}  // namespace qor
