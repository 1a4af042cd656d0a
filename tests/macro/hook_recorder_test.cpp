// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "macro/hook.h"
#include "macro/hook_library.h"
#include "macro/hook_script.h"

namespace qor {
namespace {

constexpr uint32_t VK_A = 65, VK_B = 66, VK_C = 67, VK_RETURN = 13;
constexpr uint32_t VK_LSHIFT = 160, VK_LCONTROL = 162, VK_RCONTROL = 163, VK_LMENU = 164,
                   VK_LWIN = 91;

ScriptedHookEvent down(uint32_t t, uint32_t vk, bool ext = false) {
  return ScriptedKey(t, vk, true, ext);
}
ScriptedHookEvent up(uint32_t t, uint32_t vk, bool ext = false) {
  return ScriptedKey(t, vk, false, ext);
}

// "key 65 down", "key 13 up ext", "delay 600": a list as a reader of the editor sees it.
std::vector<std::string> entries(const TMacroKeyList& list) {
  std::vector<std::string> out;
  for (const auto& e : list) {
    const TMACROKEYHOOK& k = e.Object.FMacroKey;
    if (k.nKeyType == 0)
      out.push_back("delay " + std::to_string(k.nKeyValue));
    else
      out.push_back("key " + std::to_string(k.nKeyValue) + (k.nKeyState ? " down" : " up") +
                    (k.nKeyValueExtended ? " ext" : ""));
  }
  return out;
}

// A component over its own scripted provider.
struct Rig {
  Rig() {
    SetHookProviderFactory([p = provider](HookProblem&) { return p; });
    hook = std::make_unique<TuiHook>();
  }
  ~Rig() {
    hook.reset();
    SetHookProviderFactory(nullptr);
  }
  void play(const std::vector<ScriptedHookEvent>& events) {
    provider->Append(events);
    provider->dispatch();
  }
  // The outcomes of the last n events played.
  std::vector<HookOutcome> lastOutcomes(std::size_t n) const {
    const auto& p = provider->Played();
    std::vector<HookOutcome> out;
    for (std::size_t i = p.size() - n; i < p.size(); ++i) out.push_back(p[i].outcome);
    return out;
  }

  std::shared_ptr<ScriptedHookProvider> provider = std::make_shared<ScriptedHookProvider>();
  std::unique_ptr<TuiHook> hook;
};

class HookTest : public ::testing::Test, public Rig {};

constexpr HookOutcome kSwallowed = HookOutcome::Swallowed;
constexpr HookOutcome kPassed = HookOutcome::PassedOn;

// ---- extended keyboard macro recording ----

struct RecordedKey {
  int key, state, extended;
  double time;
  uint32_t totalTime;
  std::string text, stateText;
  int listCount;
};

TEST_F(HookTest, ExtendedRecordingFoldsAutoRepeatsIntoOnePressAndTheGapBeforeTheRelease) {
  std::vector<RecordedKey> fired;
  hook->OnRecordKeyboardMacroKeyEx = [&](int MacroType, int Key1, int AState, int Extended,
                                         double Time, uint32_t TotalTime, const std::string& s,
                                         const std::string& st, const TMacroKeyList& list) {
    EXPECT_EQ(MacroType, 1);
    fired.push_back({Key1, AState, Extended, Time, TotalTime, s, st, list.Count()});
  };
  hook->RecordKeyboardMacroKeyEx();
  play({down(1000, VK_A), down(1500, VK_A), down(1533, VK_A), up(1600, VK_A), down(1650, VK_B)});

  EXPECT_EQ(entries(hook->MacroKeyList()),
            (std::vector<std::string>{"key 65 down", "delay 600", "key 65 up", "delay 50",
                                      "key 66 down"}));
  ASSERT_EQ(fired.size(), 3u);
  EXPECT_EQ(fired[0].key, 65);
  EXPECT_EQ(fired[0].state, 1);
  EXPECT_EQ(fired[0].time, 1000.0);
  EXPECT_EQ(fired[0].totalTime, 0u);
  EXPECT_EQ(fired[0].text, "A");
  EXPECT_EQ(fired[0].stateText, "Down");
  EXPECT_EQ(fired[0].listCount, 1);  // the entry is in the list when the event fires
  EXPECT_EQ(fired[1].state, 0);
  EXPECT_EQ(fired[1].totalTime, 600u);
  EXPECT_EQ(fired[1].stateText, "Up");
  EXPECT_EQ(fired[1].listCount, 3);
  EXPECT_EQ(fired[2].key, 66);
  EXPECT_EQ(fired[2].totalTime, 50u);
  // Every event is swallowed, the repeats that were not recorded as well.
  EXPECT_EQ(lastOutcomes(5), std::vector<HookOutcome>(5, kSwallowed));
  // Each entry's string is its position.
  EXPECT_EQ(hook->MacroKeyList()[3].String, "3");
}

TEST_F(HookTest, ExtendedRecordingEdgeCases) {
  struct Case {
    const char* name;
    std::vector<ScriptedHookEvent> events;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"quick tap", {down(5000, VK_A), up(5030, VK_A)}, {"key 65 down", "delay 30", "key 65 up"}},
      {"one time stamp", {down(5000, VK_A), down(5000, VK_B)}, {"key 65 down", "key 66 down"}},
      {"70 s hold",
       {down(1000, VK_A), up(71000, VK_A)},
       {"key 65 down", "delay 65535", "key 65 up"}},
      {"release of a key pressed before", {up(200, VK_A)}, {"key 65 up"}},
      // The virtual key alone marks a key held: the keypad's Enter, pressed while the main
      // Enter is held, is not recorded; its release is.
      {"two Enter keys",
       {down(100, VK_RETURN), down(110, VK_RETURN, true), up(120, VK_RETURN, true)},
       {"key 13 down", "delay 10", "delay 10", "key 13 up ext"}},
      // A press repeated after another key went down is no repeat of the reference event,
      // so it measures a gap, but the key is still held and not recorded again.
      {"repeat after another key",
       {down(0x100, VK_A), down(0x110, VK_B), down(0x120, VK_A)},
       {"key 65 down", "delay 16", "key 66 down", "delay 16"}},
  };
  hook->OnRecordKeyboardMacroKeyEx = [](int, int, int, int, double, uint32_t, const std::string&,
                                        const std::string&, const TMacroKeyList&) {};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    hook->RecordKeyboardMacroKeyEx();  // starts afresh each time
    play(c.events);
    EXPECT_EQ(entries(hook->MacroKeyList()), c.expected);
  }
}

TEST_F(HookTest, ExtendedRecordingStopsTakingEventsPast500Entries) {
  hook->OnRecordKeyboardMacroKeyEx = [](int, int, int, int, double, uint32_t, const std::string&,
                                        const std::string&, const TMacroKeyList&) {};
  hook->RecordKeyboardMacroKeyEx();
  std::vector<ScriptedHookEvent> taps;
  for (uint32_t i = 0; i < 200; ++i) {  // each tap: delay, press, delay, release
    taps.push_back(down(1000 + 20 * i, VK_A));
    taps.push_back(up(1010 + 20 * i, VK_A));
  }
  play(taps);
  EXPECT_EQ(hook->MacroKeyList().Count(), 501);  // taken while 500 or fewer were there
  // Events past the limit pass on.
  EXPECT_EQ(lastOutcomes(1), std::vector<HookOutcome>{kPassed});
  EXPECT_EQ(provider->Played()[250].outcome, kSwallowed);
  EXPECT_EQ(provider->Played()[251].outcome, kPassed);
}

TEST_F(HookTest, ExtendedRecordingWithoutHandlerNeitherRecordsNorSwallows) {
  hook->RecordKeyboardMacroKeyEx();
  play({down(10, VK_A)});
  EXPECT_EQ(hook->MacroKeyList().Count(), 0);
  EXPECT_EQ(lastOutcomes(1), std::vector<HookOutcome>{kPassed});
}

TEST_F(HookTest, StopHandsOverTheListThenEmptiesItAndEndsTheHook) {
  hook->OnRecordKeyboardMacroKeyEx = [](int, int, int, int, double, uint32_t, const std::string&,
                                        const std::string&, const TMacroKeyList&) {};
  std::vector<std::string> handed;
  hook->OnStopRecordKeyboardMacroKey = [&](const TMacroKeyList& l) { handed = entries(l); };
  hook->RecordKeyboardMacroKeyEx();
  play({down(10, VK_A), up(40, VK_A)});
  hook->StopRecordKeyboardMacroKeyEx();
  EXPECT_EQ(handed, (std::vector<std::string>{"key 65 down", "delay 30", "key 65 up"}));
  EXPECT_EQ(hook->MacroKeyList().Count(), 0);
  EXPECT_FALSE(provider->KeyboardHookEnabled());
  play({down(50, VK_B)});
  EXPECT_EQ(lastOutcomes(1), std::vector<HookOutcome>{HookOutcome::Unhooked});
}

// ---- combination capture ----

struct Combo {
  int key1, ext1, key2, ext2, modifier;
  std::string text;
  bool operator==(const Combo&) const = default;
};

TEST_F(HookTest, CombinationCaptureJoinsKeysWithin100MsAndPassesModifiersOn) {
  std::vector<Combo> fired;
  hook->OnRecordKeyboardComboKey = [&](int k1, int e1, int k2, int e2, int m,
                                       const std::string& s) {
    fired.push_back({k1, e1, k2, e2, m, s});
  };
  hook->RecordKeyboardComboKey();
  play({down(900, VK_LCONTROL), down(1000, VK_A), down(1050, VK_B), down(1350, VK_C),
        up(1400, VK_C), up(1410, VK_LCONTROL)});
  EXPECT_EQ(fired, (std::vector<Combo>{{VK_A, 0, 0, 0, 2, "Ctrl+A"},
                                       {VK_A, 0, VK_B, 0, 2, "Ctrl+A+B"},
                                       {VK_C, 0, 0, 0, 2, "Ctrl+C"}}));
  EXPECT_EQ(lastOutcomes(6), (std::vector<HookOutcome>{kPassed, kSwallowed, kSwallowed, kSwallowed,
                                                       kPassed, kPassed}));
  EXPECT_EQ(hook->ComboKeyInfo().nKeyValue1, VK_C);
  EXPECT_EQ(hook->ComboKeyString(), "Ctrl+C");

  fired.clear();
  play({down(2000, VK_LSHIFT), up(2100, VK_LSHIFT)});  // a modifier alone fires nothing
  EXPECT_TRUE(fired.empty());
  EXPECT_EQ(lastOutcomes(2), (std::vector<HookOutcome>{kPassed, kPassed}));
}

TEST(HookCombination, Rules) {
  struct Case {
    const char* name;
    std::vector<ScriptedHookEvent> events;
    Combo last;
  };
  const Case cases[] = {
      // Modifiers in the capture's own order, either side counting.
      {"all modifiers",
       {down(10, VK_LSHIFT), down(11, VK_LWIN), down(12, 165), down(13, VK_RCONTROL, true),
        down(500, VK_A)},
       {VK_A, 0, 0, 0, 15, "Ctrl+Alt+Win+Shift+A"}},
      {"same key twice within 100 ms", {down(500, VK_A), down(550, VK_A)}, {VK_A, 0, 0, 0, 0, "A"}},
      {"second key after 100 ms starts anew",
       {down(500, VK_A), down(601, VK_B)},
       {VK_B, 0, 0, 0, 0, "B"}},
      {"exactly 100 ms joins", {down(500, VK_A), down(600, VK_B)}, {VK_A, 0, VK_B, 0, 0, "A+B"}},
      {"extended key keeps its flag", {down(500, 46, true)}, {46, 1, 0, 0, 0, "DEL"}},
      // A third key within 100 ms of a full combination begins a new one with it.
      {"third key", {down(500, VK_A), down(520, VK_B), down(540, VK_C)}, {VK_C, 0, 0, 0, 0, "C"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;  // nothing held, no earlier key
    std::vector<Combo> fired;
    rig.hook->OnRecordKeyboardComboKey = [&](int k1, int e1, int k2, int e2, int m,
                                             const std::string& s) {
      fired.push_back({k1, e1, k2, e2, m, s});
    };
    rig.hook->RecordKeyboardComboKey();
    rig.play(c.events);
    ASSERT_FALSE(fired.empty());
    EXPECT_EQ(fired.back(), c.last);
  }
}

TEST_F(HookTest, CombinationCaptureWithScanCodesWhenOnlyTheSecondEventIsAssigned) {
  std::vector<std::vector<int>> fired;
  hook->OnRecordKeyboardComboKey2 = [&](int k1, int s1, int e1, int k2, int s2, int e2, int m,
                                        const std::string& s) {
    fired.push_back({k1, s1, e1, k2, s2, e2, m});
    EXPECT_EQ(s, fired.size() == 1 ? "A" : "A+B");
  };
  hook->RecordKeyboardComboKey();
  play({ScriptedKey(1000, VK_A, true, false, 0x1E), ScriptedKey(1020, VK_B, true, false, 0x30)});
  EXPECT_EQ(fired, (std::vector<std::vector<int>>{{VK_A, 0x1E, 0, 0, 0, 0, 0},
                                                  {VK_A, 0x1E, 0, VK_B, 0x30, 0, 0}}));
  EXPECT_EQ(hook->ComboKeyInfo().nScanKey2, 0x30u);
}

// ---- single key, plain recording, filters ----

TEST_F(HookTest, SingleKeyCaptureReportsEveryEventAndLetsTheHandlerSwallow) {
  std::vector<std::string> seen;
  hook->OnRecordKeyboardSingleKey = [&](int key, uint32_t scan, int state, int ext,
                                        const std::string& s, bool& blocked) {
    seen.push_back(std::to_string(key) + "/" + std::to_string(scan) + "/" + std::to_string(state) +
                   "/" + std::to_string(ext) + " " + s);
    blocked = state == 1;
  };
  hook->RecordKeyboardSingleKey();
  play({ScriptedKey(10, 45, true, true, 0x52), ScriptedKey(20, 45, false, true, 0x52)});
  EXPECT_EQ(seen, (std::vector<std::string>{"45/82/1/1 INS", "45/82/0/1 INS"}));
  EXPECT_EQ(lastOutcomes(2), (std::vector<HookOutcome>{kSwallowed, kPassed}));
  hook->StopRecordKeyboardSingleKey();
  EXPECT_FALSE(provider->KeyboardHookEnabled());
}

TEST_F(HookTest, PlainRecordingKeepsEveryEventAndOnlyGapsBetween10And2000Ms) {
  std::vector<std::string> fired;
  hook->OnRecordKeyboardMacroKey = [&](int type, int key1, int state, int, double,
                                       const std::string& s, const std::string& st,
                                       const TMacroKeyList&) {
    fired.push_back(std::to_string(type) + " " + std::to_string(key1) + " " +
                    std::to_string(state) + " " + s + " " + st);
  };
  hook->RecordKeyboardMacroKey();
  // 10 ms is no delay, 65 ms is one (and equals the key's code: still both are kept),
  // 2000 ms is none, auto-repeats are recorded.
  play({down(1000, VK_A), down(1010, VK_A), down(1075, VK_A), up(3075, VK_A), down(3100, VK_B)});
  EXPECT_EQ(fired, (std::vector<std::string>{"1 65 1 A Down", "1 65 1 A Down", "0 65 0 65 ms",
                                             "1 65 1 A Down", "1 65 0 A Up", "0 25 0 25 ms",
                                             "1 66 1 B Down"}));
  EXPECT_EQ(entries(hook->MacroKeyList()),
            (std::vector<std::string>{"key 65 down", "key 65 down", "delay 65", "key 65 down",
                                      "key 65 up", "delay 25", "key 66 down"}));
  EXPECT_EQ(lastOutcomes(5), std::vector<HookOutcome>(5, kSwallowed));
}

TEST_F(HookTest, FilteredKeyboardHookMatchesTheFirstFilterAndHonoursItsBlock) {
  std::vector<std::string> all, matched;
  hook->OnHookKeyboardAllKey = [&](int key, int state, int, bool&, uint32_t) {
    all.push_back(std::to_string(key) + (state ? "+" : "-"));
  };
  hook->OnHookKeyboardKey = [&](int key, int, int ext, bool& blocked, uint32_t scan) {
    matched.push_back(std::to_string(key) + "/" + std::to_string(ext) + "/" + std::to_string(scan) +
                      (blocked ? " blocked" : ""));
  };
  hook->AddKeyboardHookObject({{VK_A, 0, 0, 1}});  // A, swallowed
  hook->AddKeyboardHookObject({{0, 0x30, 0, 0}});  // scan code of B
  hook->AddKeyboardHookObject({{46, 0, 1, 0}});    // the separate Delete key only
  hook->AddKeyboardHookObject({{kEndOfKeyboardFilters, 0, 0, 0}});
  hook->AddKeyboardHookObject({{VK_C, 0, 0, 1}});  // past the end: never looked at
  hook->StartHookKeyboard();
  play({ScriptedKey(1, VK_A, true, false, 0x1E), ScriptedKey(2, 99, true, false, 0x30),
        ScriptedKey(3, 46, true, false, 0x53), ScriptedKey(4, 46, true, true, 0x53),
        ScriptedKey(5, VK_C, true, false, 0x2E)});
  EXPECT_EQ(all, (std::vector<std::string>{"65+", "99+", "46+", "46+", "67+"}));
  EXPECT_EQ(matched, (std::vector<std::string>{"65/0/30 blocked", "99/0/48", "46/1/83"}));
  EXPECT_EQ(lastOutcomes(5),
            (std::vector<HookOutcome>{kSwallowed, kPassed, kPassed, kPassed, kPassed}));

  hook->RemoveAllKeyboardHookObject();
  matched.clear();
  play({ScriptedKey(6, VK_A, true, false, 0x1E)});
  EXPECT_TRUE(matched.empty());
}

// ---- mouse ----

TEST_F(HookTest, MouseRecordingNormalisesButtonsAndTurnsMotionIntoDelaysWithPositions) {
  std::vector<std::string> fired;
  hook->OnRecordMouseMacroKey = [&](int type, TMouseButtons b, int state, uint16_t x, uint16_t y,
                                    double, const std::string& s, const std::string& st,
                                    const TMouseMacroKeyList&) {
    fired.push_back(std::to_string(type) + " " + std::to_string(int(b)) + " " +
                    std::to_string(state) + " " + std::to_string(x) + "," + std::to_string(y) +
                    " " + s + "|" + st);
  };
  hook->RecordMouseMacro();
  play({ScriptedMouse(1000, WM_MOUSEMOVE, 10, 20),  // first: no delay, no button
        ScriptedMouse(1008, WM_LBUTTONDOWN, 11, 21), ScriptedMouse(1100, WM_LBUTTONUP, 11, 21),
        ScriptedMouse(1100, WM_XBUTTONDOWN, -5, 70000, XBUTTON1),
        ScriptedMouse(1150, WM_XBUTTONUP, 0, 0, XBUTTON2),
        ScriptedMouse(1200, WM_MOUSEWHEEL, 1, 1, -WHEEL_DELTA),
        ScriptedMouse(1200, WM_MOUSEWHEEL, 1, 1, WHEEL_DELTA),
        ScriptedMouse(1300, WM_RBUTTONDOWN, 1, 1)});
  EXPECT_EQ(
      fired,
      (std::vector<std::string>{
          "0 0 0 11,21 8|ms", "1 1 1 11,21 Mouse Click|Down", "0 0 0 11,21 92|ms",
          "1 1 0 11,21 Mouse Click|Up", "0 0 0 0,65535 0|ms", "1 4 1 0,65535 Backward(Mouse) |Down",
          "0 0 0 0,0 50|ms", "1 5 0 0,0 Forward(Mouse)|Up", "0 0 0 1,1 50|ms",
          "1 7 1 1,1 Wheel Down(Mouse)|Down", "0 0 0 1,1 0|ms", "1 6 1 1,1 Wheel up(Mouse)|Down",
          "0 0 0 1,1 100|ms", "1 2 1 1,1 Mouse Right Click|Down"}));
  EXPECT_EQ(lastOutcomes(8), std::vector<HookOutcome>(8, kPassed));  // nothing swallowed

  // Injected events are ignored; an event older than the last one is dropped and the one
  // after it starts without a delay.
  fired.clear();
  play({ScriptedMouse(1400, WM_LBUTTONDOWN, 0, 0), ScriptedMouse(900, WM_LBUTTONUP, 0, 0),
        ScriptedMouse(950, WM_MBUTTONDOWN, 3, 4)});
  provider->Append(ScriptedMouse(960, WM_MBUTTONUP, 3, 4));
  ScriptedHookEvent injected = ScriptedMouse(970, WM_RBUTTONDOWN, 3, 4);
  injected.mouse.flags = LLMHF_INJECTED;
  provider->Append(injected);
  provider->dispatch();
  EXPECT_EQ(fired, (std::vector<std::string>{"0 0 0 0,0 100|ms", "1 1 1 0,0 Mouse Click|Down",
                                             "1 3 1 3,4 Mouse Middle Click|Down", "0 0 0 3,4 10|ms",
                                             "1 3 0 3,4 Mouse Middle Click|Up"}));

  int stops = 0;
  hook->OnStopRecordMouseMacroKey = [&](const TMouseMacroKeyList& l) {
    ++stops;
    EXPECT_EQ(l.Count(), hook->MouseMacroKeyList().Count());
  };
  hook->StopRecordMouseMacro();
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(provider->MouseHookEnabled());
  hook->RecordMouseMacro();
  EXPECT_EQ(hook->MouseMacroKeyList().Count(), 0);
}

TEST_F(HookTest, FilteredMouseHookReportsMovesAllButtonsAndFilteredButtons) {
  std::vector<std::string> moves, all, filtered;
  hook->OnHookMouseMove = [&](int x, int y, double t) {
    moves.push_back(std::to_string(x) + "," + std::to_string(y) + "@" + std::to_string(int(t)));
  };
  hook->OnHookMouseAllButton = [&](TMouseButtons b, int state, int16_t ex, bool&) {
    all.push_back(std::to_string(int(b)) + "/" + std::to_string(state) + "/" + std::to_string(ex));
  };
  hook->OnHookMouseButton = [&](TMouseButtons b, int state, bool& blocked) {
    filtered.push_back(std::to_string(int(b)) + "/" + std::to_string(state));
    blocked = true;
  };
  TMouseHookDetailObject right;
  right.FMouseHookDetail.MouseButton = TMouseButtons::RCLICK;
  right.FMouseHookDetail.MouseStateSet = MouseStateBit(TMouseButtonStates::RBUTTONDOWN);
  TMouseHookDetailObject wheel;  // remapped to itself: matched, but nothing is reported
  wheel.FMouseHookDetail.MouseButton = TMouseButtons::WHEELUP;
  wheel.FMouseHookDetail.MouseStateSet = MouseStateBit(TMouseButtonStates::MOUSEWHEEL);
  wheel.FMouseHookDetail.ModifiedFunction = TMouseButtons::WHEELUP;
  hook->AddMouseHookObject(right);
  hook->AddMouseHookObject(wheel);
  hook->StartHookMouse();
  play({ScriptedMouse(5, WM_MOUSEMOVE, 7, 8), ScriptedMouse(6, WM_RBUTTONDOWN, 7, 8),
        ScriptedMouse(7, WM_RBUTTONUP, 7, 8), ScriptedMouse(8, WM_LBUTTONDOWN, 7, 8),
        ScriptedMouse(9, WM_MOUSEWHEEL, 7, 8, 240), ScriptedMouse(10, WM_XBUTTONDOWN, 7, 8, 2)});
  EXPECT_EQ(moves, std::vector<std::string>{"7,8@5"});
  EXPECT_EQ(all, (std::vector<std::string>{"2/1/0", "2/0/0", "1/1/0", "6/1/240", "5/1/2"}));
  // Only the right press matches a filter: its state set lacks the release, and a filter for
  // the right button does not take the left one.
  EXPECT_EQ(filtered, std::vector<std::string>{"2/1"});
  EXPECT_EQ(lastOutcomes(6),
            (std::vector<HookOutcome>{kPassed, kSwallowed, kPassed, kPassed, kPassed, kPassed}));
  hook->StopHookMouse();
  EXPECT_FALSE(provider->MouseHookEnabled());
}

// ---- without a provider, sharing, worker path ----

TEST(HookWithoutProvider, ShowsTheMessageOncePerComponentAndStillEmptiesItsLists) {
  SetHookProviderFactory([](HookProblem& problem) -> std::shared_ptr<HookProvider> {
    problem.missing = "/dev/input/event*";
    problem.fix = "Permission denied: add yourself to the group \"input\".";
    return nullptr;
  });
  std::vector<std::string> shown;
  TuiHookEnvironment env;
  env.ShowMessage = [&](const std::string& text, const std::string& caption) {
    shown.push_back(caption + ": " + text);
  };
  TuiHook hook(env);
  EXPECT_FALSE(hook.DLLLoaded());
  EXPECT_EQ(hook.Provider(), nullptr);
  EXPECT_EQ(shown,
            std::vector<std::string>{"Error: /dev/input/event* can not be found!\n"
                                     "Permission denied: add yourself to the group \"input\"."});

  int events = 0;
  hook.OnStopRecordKeyboardMacroKey = [&](const TMacroKeyList&) { ++events; };
  hook.OnStopRecordMouseMacroKey = [&](const TMouseMacroKeyList&) { ++events; };
  hook.RecordKeyboardMacroKeyEx();
  hook.StopRecordKeyboardMacroKeyEx();
  hook.RecordKeyboardMacroKey();
  hook.StopRecordKeyboardMacroKey();
  hook.RecordKeyboardComboKey();
  hook.StopRecordKeyboardComboKey();
  hook.RecordKeyboardSingleKey();
  hook.StopRecordKeyboardSingleKey();
  hook.StartHookKeyboard();
  hook.StopHookKeyboard();
  hook.RecordMouseMacro();
  hook.StopRecordMouseMacro();
  hook.StartHookMouse();
  hook.StopHookMouse();
  EXPECT_EQ(events, 0);
  EXPECT_EQ(hook.MacroKeyList().Count(), 0);
  EXPECT_EQ(hook.MouseMacroKeyList().Count(), 0);

  TuiHook second(env);  // nothing was loaded, so the next component tells again
  EXPECT_EQ(shown.size(), 2u);

  SetHookProviderFactory(nullptr);  // no provider installed at all is reported the same way
  TuiHook third(env);
  EXPECT_EQ(shown.size(), 3u);
  EXPECT_NE(shown.back().find("can not be found!"), std::string::npos);
}

TEST(HookSharing, ComponentsShareOneProviderAndAGoingComponentEndsOnlyItsOwnHooks) {
  int made = 0;
  std::weak_ptr<ScriptedHookProvider> made0;
  SetHookProviderFactory([&](HookProblem&) {
    ++made;
    auto p = std::make_shared<ScriptedHookProvider>();
    made0 = p;
    return p;
  });
  auto first = std::make_unique<TuiHook>();
  auto second = std::make_unique<TuiHook>();
  EXPECT_EQ(made, 1);
  EXPECT_EQ(first->Provider(), second->Provider());
  auto* provider = static_cast<ScriptedHookProvider*>(first->Provider());

  std::vector<std::string> combos;
  second->OnRecordKeyboardComboKey = [&](int, int, int, int, int, const std::string& s) {
    combos.push_back(s);
  };
  first->StartHookMouse();
  second->RecordKeyboardComboKey();
  first.reset();  // its mouse hook ends; the provider and the other's keyboard hook stay
  EXPECT_FALSE(provider->MouseHookEnabled());
  ASSERT_TRUE(provider->KeyboardHookEnabled());
  provider->Append(down(5000, VK_A));
  provider->dispatch();
  EXPECT_EQ(combos, std::vector<std::string>{"A"});

  second.reset();  // the last one lets go of the provider
  EXPECT_TRUE(made0.expired());
  SetHookProviderFactory(nullptr);
}

TEST(HookWorkerPath, QueuedEntriesAreReportedOnTheUiThread) {
  SetHookProviderFactory([](HookProblem&) { return std::make_shared<ScriptedHookProvider>(); });
  std::mutex lock;
  std::condition_variable posted;
  std::vector<std::function<void()>> uiQueue;
  TuiHookEnvironment env;
  env.RunOnUiThread = [&](std::function<void()> call) {
    std::lock_guard g(lock);
    uiQueue.push_back(std::move(call));
    posted.notify_all();
  };
  auto hook = std::make_unique<TuiHook>(env);
  std::vector<std::string> fired;
  const std::thread::id ui = std::this_thread::get_id();
  hook->OnRecordKeyboardMacroKey = [&](int type, int key, int state, int, double,
                                       const std::string& s, const std::string&,
                                       const TMacroKeyList&) {
    EXPECT_EQ(std::this_thread::get_id(), ui);
    fired.push_back(std::to_string(type) + " " + std::to_string(key) + " " + std::to_string(state) +
                    " " + s);
  };
  hook->OnRecordMouseMacroKey = [&](int type, TMouseButtons b, int, uint16_t x, uint16_t, double,
                                    const std::string&, const std::string&,
                                    const TMouseMacroKeyList&) {
    fired.push_back("mouse " + std::to_string(type) + " " + std::to_string(int(b)) + " " +
                    std::to_string(x));
  };
  TRecordDataEntry key;
  key.Tag = kRecordDataKeyboard;
  key.MacroKey.nKeyType = 1;
  key.MacroKey.nKeyState = 1;
  key.MacroKey.nKeyValue = VK_A;
  key.MacroKey.MacroKeyString = "A";
  TRecordDataEntry mouse;
  mouse.Tag = kRecordDataMouse;
  mouse.MouseMacroKey.nKeyType = 1;
  mouse.MouseMacroKey.MouseButton = TMouseButtons::RCLICK;
  mouse.MouseMacroKey.X = 300;
  std::thread producer([&] {
    hook->QueueRecordData(key);
    hook->QueueRecordData(mouse);
  });
  producer.join();
  {
    std::unique_lock g(lock);
    ASSERT_TRUE(posted.wait_for(g, std::chrono::seconds(5), [&] { return !uiQueue.empty(); }));
  }
  // The worker may have posted once or twice; the first call reports both entries.
  std::vector<std::function<void()>> calls;
  {
    std::lock_guard g(lock);
    calls.swap(uiQueue);
  }
  for (auto& call : calls) call();
  EXPECT_EQ(fired, (std::vector<std::string>{"1 65 1 A", "mouse 1 2 300"}));

  // A call still queued when the component goes does nothing.
  hook->QueueRecordData(key);
  {
    std::unique_lock g(lock);
    ASSERT_TRUE(posted.wait_for(g, std::chrono::seconds(5), [&] { return !uiQueue.empty(); }));
  }
  hook.reset();
  std::lock_guard g(lock);
  for (auto& call : uiQueue) call();
  EXPECT_EQ(fired.size(), 2u);
  SetHookProviderFactory(nullptr);
}

}  // namespace
}  // namespace qor
