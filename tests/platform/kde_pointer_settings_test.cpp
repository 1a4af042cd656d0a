// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/ini_text.h"
#include "platform/linux/kde_pointer_settings.h"
#include "test_support/kwin_stand_in.h"
#include "test_support/private_bus.h"
#include "test_support/recording_pointer_settings.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

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
      {"# mine\n[Mouse]\nDoubleClickInterval=1\n[KDE]\nDoubleClickInterval[de]=2\n", "KDE",
       "DoubleClickInterval",
       "# mine\n[Mouse]\nDoubleClickInterval=1\n[KDE]\nDoubleClickInterval[de]=2\n"
       "DoubleClickInterval=400\n"},
      // KConfig's options name the same key; another group's lock is not this group's.
      {"[KDE]\nDoubleClickInterval[$e]=$X\n", "KDE", "DoubleClickInterval",
       "[KDE]\nDoubleClickInterval=400\n"},
      {"[WM][$i]\na=1\n", "KDE", "DoubleClickInterval",
       "[WM][$i]\na=1\n\n[KDE]\nDoubleClickInterval=400\n"},
      // Nested group names, and a last line without a line break keeps going without one.
      {"[Libinput][1133][49291][Mouse]\nPointerAcceleration=0", "Libinput][1133][49291][Mouse",
       "PointerAcceleration", "[Libinput][1133][49291][Mouse]\nPointerAcceleration=400"},
      {"[Other]\nx=1", "KDE", "DoubleClickInterval",
       "[Other]\nx=1\n\n[KDE]\nDoubleClickInterval=400\n"},
      // A byte order mark stays in front and the group after it is found.
      {"\xEF\xBB\xBF[KDE]\nSingleClick=false\n", "KDE", "DoubleClickInterval",
       "\xEF\xBB\xBF[KDE]\nSingleClick=false\nDoubleClickInterval=400\n"},
      // Lines written end as the file's lines do.
      {"\xEF\xBB\xBF[KDE]\r\nDoubleClickInterval=300\r\nSingleClick=false\r\n", "KDE",
       "DoubleClickInterval",
       "\xEF\xBB\xBF[KDE]\r\nDoubleClickInterval=400\r\nSingleClick=false\r\n"},
      {"[KDE]\r\nSingleClick=false\r\n\r\n[WM]\r\na=1\r\n", "KDE", "DoubleClickInterval",
       "[KDE]\r\nSingleClick=false\r\nDoubleClickInterval=400\r\n\r\n[WM]\r\na=1\r\n"},
      {"[KDE]\r\nSingleClick=false", "KDE", "DoubleClickInterval",
       "[KDE]\r\nSingleClick=false\r\nDoubleClickInterval=400\r\n"},
      {"[General]\r\nfont=x\r\n", "KDE", "DoubleClickInterval",
       "[General]\r\nfont=x\r\n\r\n[KDE]\r\nDoubleClickInterval=400\r\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SetIniValue(c.text, c.group, c.key, "400"), c.expected) << c.text;
}

// A value the administrator locked is left alone, however the lock is written.
TEST(IniText, LeavesLockedValuesAlone) {
  for (const char* text : {
           "[KDE][$i]\nDoubleClickInterval=300\n",
           "[KDE][$i]\nSingleClick=false\n",
           "\xEF\xBB\xBF[KDE][$i]\r\nDoubleClickInterval=300\r\n",
           "[KDE]\nDoubleClickInterval[$i]=300\n",
           "[KDE]\nDoubleClickInterval[$ie]=300\n",
           "[$i]\n[KDE]\nSingleClick=false\n",
           "[KDE][$i]\na=1\n[WM]\nb=2\n[KDE]\nDoubleClickInterval=300\n",
       })
    EXPECT_EQ(SetIniValue(text, "KDE", "DoubleClickInterval", "400"), std::nullopt) << text;
}

TEST(IniText, ReadsOneValueOfAGroup) {
  const char* text =
      "TOP = 1\n[Layout]\nDisplayNames=\n  LayoutList = de,us \r\n[Other]\nLayoutList=fr\n";
  EXPECT_EQ(GetIniValue(text, "Layout", "LayoutList"), "de,us");
  EXPECT_EQ(GetIniValue(text, "Other", "LayoutList"), "fr");
  EXPECT_EQ(GetIniValue(text, "", "TOP"), "1");
  EXPECT_EQ(GetIniValue(text, "", "LayoutList"), "");  // only before the first group
  EXPECT_EQ(GetIniValue(text, "Layout", "Missing"), "");
  // As SetIniValue reads them: past a byte order mark, through KConfig's options.
  EXPECT_EQ(GetIniValue("\xEF\xBB\xBF[KDE][$i]\r\nDoubleClickInterval[$i]=300\r\n", "KDE",
                        "DoubleClickInterval"),
            "300");
}

TEST(KdePointerSettings, WaylandSetsKWinsMiceAndKdeglobals) {
  test::PrivateSessionBus bus;
  ASSERT_TRUE(bus.ok());
  test::KWinStandIn kwin;
  ASSERT_TRUE(kwin.ok());
  test::TempDir config;
  test::ScopedEnv env;
  env.set("PATH", (config / "no-tools").c_str());  // our own writer
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
  test::ScopedEnv env;
  env.set("PATH", (config / "no-tools").c_str());
  auto x11 = std::make_unique<test::RecordingPointerSettings>();
  auto* recorded = x11.get();
  auto kde = MakeKdePointerSettings(config.path(), std::move(x11));
  EXPECT_TRUE(kde->setSpeed(1));
  EXPECT_TRUE(kde->setAcceleration(1, kPointerAccelerationPresets[1]));
  EXPECT_EQ(recorded->calls(), (std::vector<std::string>{"acceleration 1 7,0,1"}));
  EXPECT_EQ(readText(config / "kcminputrc"),
            "[Mouse]\nXLbInptPointerAcceleration=-1.000\nX11LibInputXAccelProfileFlat=false\n");
}

// A stand-in for one of KConfig's tools in `bin`: it adds "CONFIG-FOLDER NAME ARGS" to
// bin/calls and ends with `status`, saying why on stderr when that is not 0.
void installKConfigTool(const fs::path& bin, const char* name, int status) {
  fs::create_directories(bin);
  test::writeText(bin / name,
                  std::string("#!/bin/sh\n"
                              "echo \"$XDG_CONFIG_HOME ${0##*/} $*\" >> \"${0%/*}/calls\"\n") +
                      (status ? "echo 'cannot lock the file' >&2\n" : "") + "exit " +
                      std::to_string(status) + "\n");
  fs::permissions(bin / name, fs::perms::owner_all);
}

TEST(KdePointerSettings, WritesThroughKConfigsToolWhenThereIsOne) {
  test::PrivateSessionBus bus;  // no KWin input devices: the settings go to the files
  ASSERT_TRUE(bus.ok());
  struct Case {
    std::vector<const char*> tools;
    const char* used;
  } cases[] = {
      {{"kwriteconfig6"}, "kwriteconfig6"},
      {{"kwriteconfig5"}, "kwriteconfig5"},
      {{"kwriteconfig5", "kwriteconfig6"}, "kwriteconfig6"},
  };
  for (const Case& c : cases) {
    test::TempDir config;
    const fs::path bin = config / "bin";
    for (const char* tool : c.tools) installKConfigTool(bin, tool, 0);
    test::ScopedEnv env;
    env.set("PATH", bin.c_str());
    auto kde = MakeKdePointerSettings(config.path(), nullptr);
    EXPECT_TRUE(kde->setDoubleClickTime(400)) << c.used;
    EXPECT_TRUE(kde->setSpeed(1)) << c.used;
    const std::string prefix = config.path().string() + " " + c.used + " --file ";
    EXPECT_EQ(readText(bin / "calls"),
              prefix + "kdeglobals --group KDE --key DoubleClickInterval -- 400\n" + prefix +
                  "kcminputrc --group Mouse --key XLbInptPointerAcceleration -- -1.000\n");
    EXPECT_FALSE(fs::exists(config / "kdeglobals"));  // the tool's to write, not ours
    EXPECT_FALSE(fs::exists(config / "kcminputrc"));
  }
}

// A value that could not be stored is refused with the reason, the file named, and the file
// left as it was; the tool is not run on a file the program could not read or that is locked.
TEST(KdePointerSettings, RefusesWithTheReasonWhenAFileWillNotTakeTheValue) {
  test::PrivateSessionBus bus;
  ASSERT_TRUE(bus.ok());
  struct Case {
    const char* what;
    int tool;          // the stand-in's exit status; -1: no tool
    bool speed;        // setSpeed (kcminputrc) instead of setDoubleClickTime (kdeglobals)
    const char* text;  // the file's text; "<dir>": a folder in its place
    bool readOnly;
    std::vector<std::string> said;
  } cases[] = {
      {"read-only",
       -1,
       false,
       "[KDE]\nDoubleClickInterval=300\n",
       true,
       {"kdeglobals: Permission denied", "ls -l"}},
      {"read-only kcminputrc", -1, true, "[Mouse]\n", true, {"kcminputrc: Permission denied"}},
      {"a folder", -1, false, "<dir>", false, {"kdeglobals: Is a directory", "ls -l"}},
      {"a folder, tool", 0, false, "<dir>", false, {"kdeglobals: Is a directory"}},
      {"locked group",
       -1,
       false,
       "[KDE][$i]\nDoubleClickInterval=300\n",
       false,
       {"administrator locked DoubleClickInterval in", "kdeglobals"}},
      {"locked key, tool",
       0,
       false,
       "\xEF\xBB\xBF[KDE]\r\nDoubleClickInterval[$i]=300\r\n",
       false,
       {"administrator locked DoubleClickInterval in"}},
      {"tool fails",
       1,
       false,
       "[KDE]\n",
       false,
       {"kdeglobals: kwriteconfig6 ended with exit status 1: cannot lock the file"}},
  };
  for (const Case& c : cases) {
    test::TempDir config;
    const fs::path bin = config / "bin";
    const fs::path file = config / (c.speed ? "kcminputrc" : "kdeglobals");
    if (c.tool >= 0) installKConfigTool(bin, "kwriteconfig6", c.tool);
    if (std::string(c.text) == "<dir>")
      fs::create_directories(file);
    else
      test::writeText(file, c.text);
    if (c.readOnly) fs::permissions(file, fs::perms::owner_read);
    test::ScopedEnv env;
    env.set("PATH", bin.c_str());
    auto kde = MakeKdePointerSettings(config.path(), nullptr);
    const PointerSetResult r = c.speed ? kde->setSpeed(1) : kde->setDoubleClickTime(400);
    EXPECT_FALSE(r) << c.what;
    EXPECT_TRUE(r.refused()) << c.what;
    for (const std::string& part : c.said)
      EXPECT_NE(r.problem().find(part), std::string::npos) << c.what << ": " << r.problem();
    if (fs::is_regular_file(file)) {
      EXPECT_EQ(readText(file), c.text) << c.what;
    }
    EXPECT_EQ(fs::exists(bin / "calls"), c.tool == 1) << c.what;
  }
}

}  // namespace
}  // namespace qor
