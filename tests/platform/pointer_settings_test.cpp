// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/pointer_restore.h"
#include "app/pointer_worker.h"
#include "app/thread_call.h"
#include "model/factory_defaults.h"
#include "platform/linux/desktop_pointer_settings.h"
#include "platform/linux/sqlite_registry.h"
#include "platform/pointer_mapping.h"
#include "test_support/recording_pointer_settings.h"
#include "test_support/temp_dir.h"
#include "test_support/xvfb.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

std::string run(const std::string& command) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  char buf[512];
  while (p && std::fgets(buf, sizeof buf, p)) out += buf;
  if (p) ::pclose(p);
  return out;
}

TEST(PointerMapping, WindowsValuesOnDesktops) {
  struct Case {
    int speed;
    double gnome;
  } speeds[] = {{1, -1.0}, {10, 0.0}, {20, 1.0}, {15, 0.5}, {0, -1.0}, {40, 1.0}};
  for (const Case& c : speeds) EXPECT_DOUBLE_EQ(GnomeSpeedFromWindows(c.speed), c.gnome) << c.speed;
  EXPECT_EQ(GnomeAccelProfile(0), "flat");
  EXPECT_EQ(GnomeAccelProfile(1), "adaptive");
  const X11PointerControl none = X11ControlFromPreset(kPointerAccelerationPresets[0]);
  const X11PointerControl enhanced = X11ControlFromPreset(kPointerAccelerationPresets[1]);
  const X11PointerControl fast = X11ControlFromPreset(kPointerAccelerationPresets[2]);
  EXPECT_EQ((std::array{none.numerator, none.denominator, none.threshold}), (std::array{1, 1, 0}));
  EXPECT_EQ((std::array{enhanced.numerator, enhanced.threshold}), (std::array{2, 7}));
  EXPECT_EQ((std::array{fast.numerator, fast.threshold}), (std::array{4, 4}));
}

TEST(PointerWorker, AppliesThePresetSpeedAndWheelOnAWorker) {
  TMOUSEPROFILEINFO p{};
  RestoreFactoryProfile(p);
  p.ConfigInfo.PointerAcceleration = 1;
  p.ConfigInfo.VWheelSpeed = 30;
  const PointerValues values = PointerValuesOf(p);
  EXPECT_EQ((std::array{values.speed, values.wheelLines, values.acceleration}),
            (std::array{10, 30, 1}));
  auto settings = std::make_shared<test::RecordingPointerSettings>();
  TuiThread::ThreadCallFunction([settings, values] { RunPointerWorker(*settings, values); });
  ASSERT_TRUE(TuiThread::WaitForWorkers(std::chrono::seconds(5)));
  EXPECT_EQ(settings->calls(),
            (std::vector<std::string>{"acceleration 1 7,0,1", "speed 10", "wheel 30"}));

  p.ConfigInfo.PointerAcceleration = 4;  // no such preset: nothing changes
  test::RecordingPointerSettings untouched;
  RunPointerWorker(untouched, PointerValuesOf(p));
  EXPECT_TRUE(untouched.calls().empty());
}

TEST(GnomePointerSettings, WritesTheMouseSchema) {
  if (!fs::exists("/usr/share/glib-2.0/schemas/org.gnome.desktop.peripherals.gschema.xml"))
    GTEST_SKIP() << "gsettings-desktop-schemas is not installed";
  test::TempDir dir;
  ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
  ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  auto gnome = MakeGnomePointerSettings();
  ASSERT_TRUE(gnome);
  EXPECT_TRUE(gnome->setAcceleration(0, kPointerAccelerationPresets[0]));
  EXPECT_TRUE(gnome->setSpeed(15));
  EXPECT_TRUE(gnome->setDoubleClickTime(550));
  EXPECT_FALSE(gnome->setWheelScrollLines(3));
  std::string keyfile;
  for (int i = 0; i < 50 && keyfile.find("double-click") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    keyfile = run("cat '" + (dir / "glib-2.0/settings/keyfile").string() + "' 2>/dev/null");
  }
  EXPECT_NE(keyfile.find("accel-profile='flat'"), std::string::npos) << keyfile;
  EXPECT_NE(keyfile.find("speed=0.5"), std::string::npos) << keyfile;
  EXPECT_NE(keyfile.find("double-click=550"), std::string::npos) << keyfile;
}

// At login the monitor hands the desktop only what an Apply recorded, and only where the
// desktop holds something else: an untouched install changes no setting.
TEST(GnomePointerSettings, AtLoginOnlyWhatWasAppliedIsHandedOnWhereItDiffers) {
  if (!fs::exists("/usr/share/glib-2.0/schemas/org.gnome.desktop.peripherals.gschema.xml"))
    GTEST_SKIP() << "gsettings-desktop-schemas is not installed";
  test::TempDir dir;
  ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
  ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  const fs::path keyfile = dir / "glib-2.0/settings/keyfile";
  fs::create_directories(keyfile.parent_path());
  const std::string mine = "[org/gnome/desktop/peripherals/mouse]\nspeed=0.7\ndouble-click=300\n";
  test::writeText(keyfile, mine);
  SqliteRegistry registry(dir / "user.db", dir / "machine.db");
  auto gnome = std::shared_ptr<PointerSettings>(MakeGnomePointerSettings());
  ASSERT_TRUE(gnome);
  AppliedPointerRestore restore(registry, gnome);

  EXPECT_FALSE(restore.Restore());
  EXPECT_TRUE(gnome->holdsSpeed(17));  // 0.7 is Windows' 17
  EXPECT_FALSE(gnome->holdsSpeed(15));
  EXPECT_EQ(run("cat '" + keyfile.string() + "'"), mine);

  // Applied: speed 17 (held already), acceleration preset 0 ("flat", differs).
  ASSERT_TRUE(
      RecordAppliedPointerSettings(registry, {.speed = 17, .wheelLines = 3, .acceleration = 0})
          .isOk());
  ASSERT_TRUE(restore.Restore()) << restore.Problem();
  std::string now;
  for (int i = 0; i < 50 && now.find("accel-profile") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    now = run("cat '" + keyfile.string() + "'");
  }
  EXPECT_NE(now.find("accel-profile='flat'"), std::string::npos) << now;
  EXPECT_NE(now.find("speed=0.7"), std::string::npos) << now;
  EXPECT_NE(now.find("double-click=300"), std::string::npos) << now;
  EXPECT_TRUE(gnome->holdsAcceleration(0, kPointerAccelerationPresets[0]));
  EXPECT_FALSE(gnome->holdsAcceleration(1, kPointerAccelerationPresets[1]));
}

// Xvfb keeps the core pointer's acceleration without applying it: the backend's request
// and what it reads back can be checked, the effect itself needs a real X server.
TEST(X11PointerSettings, ReachesTheServer) {
  if (run("command -v Xvfb").empty()) GTEST_SKIP() << "Xvfb is not installed";
  test::XvfbServer server;
  const std::string& display = server.display();
  std::unique_ptr<PointerSettings> x11 =
      display.empty() ? nullptr : MakeX11PointerSettings(display);
  ASSERT_TRUE(x11) << "Xvfb did not come up on " << display;
  EXPECT_TRUE(x11->setAcceleration(1, kPointerAccelerationPresets[1]));
  EXPECT_FALSE(x11->setSpeed(10));
  for (int preset = 0; preset < 4; ++preset)
    EXPECT_EQ(x11->holdsAcceleration(preset, kPointerAccelerationPresets[preset]), preset == 1)
        << preset;
  EXPECT_EQ(x11->desktop(), "X11");
  x11.reset();  // let go of the server before it goes away
}

TEST(DesktopPointerSettings, WithoutADesktopEverythingIsSkipped) {
  ::unsetenv("XDG_CURRENT_DESKTOP");
  ::unsetenv("DISPLAY");
  auto none = MakeDesktopPointerSettings();
  EXPECT_EQ(none->desktop(), "none");
  EXPECT_FALSE(none->setSpeed(10));
}

}  // namespace
}  // namespace qor
