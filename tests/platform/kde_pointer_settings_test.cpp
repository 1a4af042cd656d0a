// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/ini_text.h"
#include "platform/linux/kde_pointer_settings.h"
#include "test_support/kwin_stand_in.h"
#include "test_support/private_bus.h"
#include "test_support/recording_pointer_settings.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

std::string readText(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(IniText, SetsOneValueAndKeepsTheRest) {
  struct Case {
    const char* text;
    const char* group;
    const char* key;
    const char* expected;
  } cases[] = {
      {"", "KDE", "DoubleClickInterval", "[KDE]\nDoubleClickInterval=400\n"},
      {"[KDE]\nDoubleClickInterval=300\nSingleClick=false\n", "KDE", "DoubleClickInterval",
       "[KDE]\nDoubleClickInterval=400\nSingleClick=false\n"},
      // Added at the end of its group, before the blank line that separates groups.
      {"[General]\nfont=x\n\n[KDE]\nSingleClick=false\n\n[WM]\na=1\n", "KDE", "DoubleClickInterval",
       "[General]\nfont=x\n\n[KDE]\nSingleClick=false\nDoubleClickInterval=400\n\n[WM]\na=1\n"},
      // Another group with the key, a localised key and a comment stay untouched.
      {"# mine\n[Mouse]\nDoubleClickInterval=1\n[KDE]\nDoubleClickInterval[$i]=2\n", "KDE",
       "DoubleClickInterval",
       "# "
       "mine\n[Mouse]\nDoubleClickInterval=1\n[KDE]\nDoubleClickInterval[$i]="
       "2\nDoubleClickInterval=400\n"},
      // Nested group names and a file without a final line break.
      {"[Libinput][1133][49291][Mouse]\nPointerAcceleration=0", "Libinput][1133][49291][Mouse",
       "PointerAcceleration", "[Libinput][1133][49291][Mouse]\nPointerAcceleration=400\n"},
      {"[Other]\nx=1", "KDE", "DoubleClickInterval",
       "[Other]\nx=1\n\n[KDE]\nDoubleClickInterval=400\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SetIniValue(c.text, c.group, c.key, "400"), c.expected) << c.text;
}

TEST(IniText, ReadsOneValueOfAGroup) {
  const char* text =
      "TOP = 1\n[Layout]\nDisplayNames=\n  LayoutList = de,us \r\n[Other]\nLayoutList=fr\n";
  EXPECT_EQ(GetIniValue(text, "Layout", "LayoutList"), "de,us");
  EXPECT_EQ(GetIniValue(text, "Other", "LayoutList"), "fr");
  EXPECT_EQ(GetIniValue(text, "", "TOP"), "1");
  EXPECT_EQ(GetIniValue(text, "", "LayoutList"), "");  // only before the first group
  EXPECT_EQ(GetIniValue(text, "Layout", "Missing"), "");
}

TEST(KdePointerSettings, WaylandSetsKWinsMiceAndKdeglobals) {
  test::PrivateSessionBus bus;
  ASSERT_TRUE(bus.ok());
  test::KWinStandIn kwin;
  ASSERT_TRUE(kwin.ok());
  test::TempDir config;
  { std::ofstream(config / "kdeglobals") << "[General]\nfont=Noto Sans\n"; }
  auto kde = MakeKdePointerSettings(config.path(), nullptr);
  EXPECT_EQ(kde->desktop(), "KDE");
  EXPECT_TRUE(kde->setSpeed(15));
  EXPECT_TRUE(kde->setAcceleration(1, kPointerAccelerationPresets[1]));
  EXPECT_TRUE(kde->setAcceleration(0, kPointerAccelerationPresets[0]));
  // The mouse only: the touchpad and the keyboard are left alone.
  EXPECT_EQ(kwin.sets(), (std::vector<std::string>{
                             "event3 pointerAcceleration 0.500",
                             "event3 pointerAccelerationProfileFlat false",
                             "event3 pointerAccelerationProfileAdaptive true",
                             "event3 pointerAccelerationProfileFlat true",
                             "event3 pointerAccelerationProfileAdaptive false",
                         }));
  EXPECT_FALSE(std::filesystem::exists(config / "kcminputrc"));  // KWin keeps its own

  EXPECT_TRUE(kde->setDoubleClickTime(400));
  EXPECT_TRUE(kde->setWheelScrollLines(5));
  EXPECT_FALSE(kde->setWheelScrollLines(30));  // no one-page setting in KDE
  EXPECT_EQ(readText(config / "kdeglobals"),
            "[General]\nfont=Noto Sans\n\n[KDE]\nDoubleClickInterval=400\nWheelScrollLines=5\n");
}

TEST(KdePointerSettings, X11SessionUsesTheXServerAndKcminputrc) {
  test::PrivateSessionBus bus;  // no KWin input devices on it
  ASSERT_TRUE(bus.ok());
  test::TempDir config;
  auto x11 = std::make_unique<test::RecordingPointerSettings>();
  auto* recorded = x11.get();
  auto kde = MakeKdePointerSettings(config.path(), std::move(x11));
  EXPECT_TRUE(kde->setSpeed(1));
  EXPECT_TRUE(kde->setAcceleration(1, kPointerAccelerationPresets[1]));
  EXPECT_EQ(recorded->calls(), (std::vector<std::string>{"acceleration 1 7,0,1"}));
  EXPECT_EQ(readText(config / "kcminputrc"),
            "[Mouse]\nXLbInptPointerAcceleration=-1.000\nX11LibInputXAccelProfileFlat=false\n");
}

}  // namespace
}  // namespace qor
