// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "macro/hook_script.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

TEST(HookScript, ReadsKeysAndMouseEventsWithTheirFlags) {
  std::string error;
  auto events = ParseHookScript(
      "# a recording\n"
      "1000 key VK_A down\n"
      "  1600\tkey 0x41 up   # the same key by number\r\n"
      "\n"
      "1700 key VK_RETURN down ext scan=28\n"
      "1800 key VK_INSERT up\n"  // only the extended table names it
      "4294967295 key 162 down\n"
      "2000 mouse WM_LBUTTONDOWN 10 -20\n"
      "2100 mouse 522 0 0 -120\n"
      "2200 mouse WM_XBUTTONUP 5 6 2 injected\n",
      error);
  ASSERT_TRUE(events) << error;
  ASSERT_EQ(events->size(), 8u);
  const auto& e = *events;
  auto key = [&](std::size_t i, uint32_t vk, uint32_t scan, uint32_t flags, uint32_t time) {
    SCOPED_TRACE(i);
    EXPECT_EQ(e[i].kind, ScriptedHookEvent::Kind::Key);
    EXPECT_EQ(e[i].key.vkCode, vk);
    EXPECT_EQ(e[i].key.scanCode, scan);
    EXPECT_EQ(e[i].key.flags, flags);
    EXPECT_EQ(e[i].key.time, time);
  };
  key(0, 65, 0, 0x00, 1000);
  key(1, 65, 0, 0x80, 1600);
  key(2, 13, 28, 0x01, 1700);
  key(3, 45, 0, 0x81, 1800);
  key(4, 162, 0, 0x00, 4294967295u);
  auto mouse = [&](std::size_t i, uint32_t message, int32_t x, int32_t y, uint32_t data,
                   uint32_t flags, uint32_t time) {
    SCOPED_TRACE(i);
    EXPECT_EQ(e[i].kind, ScriptedHookEvent::Kind::Mouse);
    EXPECT_EQ(e[i].message, message);
    EXPECT_EQ(e[i].mouse.pt.x, x);
    EXPECT_EQ(e[i].mouse.pt.y, y);
    EXPECT_EQ(e[i].mouse.mouseData, data);
    EXPECT_EQ(e[i].mouse.flags, flags);
    EXPECT_EQ(e[i].mouse.time, time);
  };
  mouse(5, 513, 10, -20, 0, 0, 2000);
  mouse(6, 522, 0, 0, 0xFF880000u, 0, 2100);
  mouse(7, 524, 5, 6, 0x00020000u, 1, 2200);
}

TEST(HookScript, NamesTheLineAndTheFaultOfWhatItCannotRead) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {
      {"10 key VK_A down\nsoon key VK_A up\n",
       "line 2: the time \"soon\" is not a number of milliseconds"},
      {"4294967296 key VK_A down",
       "line 1: the time \"4294967296\" is not a number of milliseconds"},
      {"10", "line 1: \"key\" or \"mouse\" must follow the time"},
      {"10 key VK_NOPE down", "line 1: unknown key \"VK_NOPE\""},
      {"10 key 256 down", "line 1: unknown key \"256\""},
      {"10 key VK_A pressed", "line 1: \"pressed\" is neither down nor up"},
      {"10 key VK_A down extended", "line 1: unexpected \"extended\" (ext or scan=N)"},
      {"10 key VK_A", "line 1: a key event is: TIME key KEY down|up [ext] [scan=N]"},
      {"10 mouse WM_FLY 1 2", "line 1: unknown mouse message \"WM_FLY\""},
      {"10 mouse 527 1 2", "line 1: unknown mouse message \"527\""},
      {"10 mouse WM_MOUSEMOVE 1 x", "line 1: the position \"1 x\" is not two whole numbers"},
      {"10 mouse WM_MOUSEWHEEL 1 2 40000",
       "line 1: unexpected \"40000\" (DATA from -32768 to 32767, injected)"},
      {"\n\n10 touch 1 2", "line 3: \"touch\" is neither key nor mouse"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string error;
    EXPECT_FALSE(ParseHookScript(c.text, error));
    EXPECT_EQ(error, c.error);
  }
}

TEST(HookScript, LoadsAFileAndNamesItInErrors) {
  test::TempDir dir;
  test::writeText(dir / "demo.hook", "1 key VK_B down\n2 key VK_B up\n");
  std::string error;
  auto events = LoadHookScript(dir / "demo.hook", error);
  ASSERT_TRUE(events) << error;
  EXPECT_EQ(events->size(), 2u);

  test::writeText(dir / "bad.hook", "1 key VK_B sideways\n");
  EXPECT_FALSE(LoadHookScript(dir / "bad.hook", error));
  EXPECT_NE(error.find("bad.hook, line 1:"), std::string::npos) << error;
  EXPECT_FALSE(LoadHookScript(dir / "missing.hook", error));
  EXPECT_NE(error.find("missing.hook"), std::string::npos) << error;
}

TEST(ScriptedHookProvider, TracksHeldKeysAndTheOutcomeOfEveryEvent) {
  ScriptedHookProvider p({ScriptedKey(1, 160, true), ScriptedKey(2, 65, true)});
  p.dispatch();  // no hook yet: the keys still count as held
  EXPECT_TRUE(p.IsKeyDown(16));
  EXPECT_TRUE(p.IsKeyDown(65));
  p.EnableKeyboardHook(
      [](int, const TKBDLLHOOKSTRUCT& k, bool& blocked) { blocked = k.vkCode == 65; });
  p.Append({ScriptedKey(3, 65, false), ScriptedKey(4, 160, false), ScriptedKey(5, 160, false)});
  p.Append(ScriptedMouse(6, 512, 0, 0));
  p.dispatch();
  EXPECT_FALSE(p.IsKeyDown(16));
  EXPECT_FALSE(p.IsKeyDown(65));
  std::vector<HookOutcome> outcomes;
  for (const auto& played : p.Played()) outcomes.push_back(played.outcome);
  EXPECT_EQ(outcomes, (std::vector<HookOutcome>{HookOutcome::Unhooked, HookOutcome::Unhooked,
                                                HookOutcome::Swallowed, HookOutcome::PassedOn,
                                                HookOutcome::PassedOn, HookOutcome::Unhooked}));
  EXPECT_EQ(p.Pending(), 0u);
}

TEST(ScriptedHookProvider, RealTimePacingStartsAtTheFirstEnable) {
  using namespace std::chrono_literals;
  auto now = std::chrono::steady_clock::time_point{};
  ScriptedHookProvider p({ScriptedKey(5000, 65, true), ScriptedKey(5250, 65, false),
                          ScriptedKey(5100, 66, true)},  // earlier than the one before: follows it
                         ScriptedHookProvider::Pacing::RealTime, [&] { return now; });
  p.dispatch();
  EXPECT_EQ(p.Pending(), 3u);  // nothing plays before a hook listens
  now += 10s;
  p.EnableKeyboardHook([](int, const TKBDLLHOOKSTRUCT&, bool&) {});
  p.dispatch();
  EXPECT_EQ(p.Pending(), 2u);
  now += 249ms;
  p.dispatch();
  EXPECT_EQ(p.Pending(), 2u);
  now += 1ms;
  p.dispatch();
  EXPECT_EQ(p.Pending(), 0u);
}

}  // namespace
}  // namespace qor
