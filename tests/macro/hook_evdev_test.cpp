// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/evdev_hook_router.h"
#include "platform/linux/evdev_keymap.h"
#include "platform/linux/evdev_translate.h"
#include "protocol/key_code_table.h"

namespace qor {
namespace {

// ---- the key table ----

struct Pair {
  uint16_t code;  // Linux key code
  uint8_t vk;
  uint8_t scan;
  bool extended;
  uint8_t vkWithoutNumLock;
};

// Written from the Linux key code list and the Windows virtual-key and set-1 scan code
// lists, not from the table under test.
constexpr Pair kExpected[] = {
    {1, 27, 0x01, false, 0},     // Esc
    {2, 49, 0x02, false, 0},     // 1
    {11, 48, 0x0B, false, 0},    // 0
    {12, 189, 0x0C, false, 0},   // -
    {13, 187, 0x0D, false, 0},   // =
    {14, 8, 0x0E, false, 0},     // Backspace
    {15, 9, 0x0F, false, 0},     // Tab
    {16, 81, 0x10, false, 0},    // Q
    {25, 80, 0x19, false, 0},    // P
    {26, 219, 0x1A, false, 0},   // [
    {27, 221, 0x1B, false, 0},   // ]
    {28, 13, 0x1C, false, 0},    // Enter
    {29, 162, 0x1D, false, 0},   // left Ctrl
    {30, 65, 0x1E, false, 0},    // A
    {38, 76, 0x26, false, 0},    // L
    {39, 186, 0x27, false, 0},   // ;
    {40, 222, 0x28, false, 0},   // '
    {41, 192, 0x29, false, 0},   // `
    {42, 160, 0x2A, false, 0},   // left Shift
    {43, 220, 0x2B, false, 0},   // backslash
    {44, 90, 0x2C, false, 0},    // Z
    {50, 77, 0x32, false, 0},    // M
    {51, 188, 0x33, false, 0},   // ,
    {52, 190, 0x34, false, 0},   // .
    {53, 191, 0x35, false, 0},   // /
    {54, 161, 0x36, false, 0},   // right Shift
    {55, 106, 0x37, false, 0},   // keypad *
    {56, 164, 0x38, false, 0},   // left Alt
    {57, 32, 0x39, false, 0},    // Space
    {58, 20, 0x3A, false, 0},    // Caps Lock
    {59, 112, 0x3B, false, 0},   // F1
    {68, 121, 0x44, false, 0},   // F10
    {69, 144, 0x45, true, 0},    // Num Lock
    {70, 145, 0x46, false, 0},   // Scroll Lock
    {71, 103, 0x47, false, 36},  // keypad 7 / Home
    {72, 104, 0x48, false, 38},  // keypad 8 / Up
    {73, 105, 0x49, false, 33},  // keypad 9 / Page Up
    {74, 109, 0x4A, false, 0},   // keypad -
    {75, 100, 0x4B, false, 37},  // keypad 4 / Left
    {76, 101, 0x4C, false, 12},  // keypad 5 / Clear
    {77, 102, 0x4D, false, 39},  // keypad 6 / Right
    {78, 107, 0x4E, false, 0},   // keypad +
    {79, 97, 0x4F, false, 35},   // keypad 1 / End
    {80, 98, 0x50, false, 40},   // keypad 2 / Down
    {81, 99, 0x51, false, 34},   // keypad 3 / Page Down
    {82, 96, 0x52, false, 45},   // keypad 0 / Insert
    {83, 110, 0x53, false, 46},  // keypad . / Delete
    {86, 226, 0x56, false, 0},   // the key beside left Shift
    {87, 122, 0x57, false, 0},   // F11
    {88, 123, 0x58, false, 0},   // F12
    {96, 13, 0x1C, true, 0},     // keypad Enter
    {97, 163, 0x1D, true, 0},    // right Ctrl
    {98, 111, 0x35, true, 0},    // keypad /
    {99, 44, 0x37, true, 0},     // Print Screen
    {100, 165, 0x38, true, 0},   // right Alt
    {102, 36, 0x47, true, 0},    // Home
    {103, 38, 0x48, true, 0},    // Up
    {104, 33, 0x49, true, 0},    // Page Up
    {105, 37, 0x4B, true, 0},    // Left
    {106, 39, 0x4D, true, 0},    // Right
    {107, 35, 0x4F, true, 0},    // End
    {108, 40, 0x50, true, 0},    // Down
    {109, 34, 0x51, true, 0},    // Page Down
    {110, 45, 0x52, true, 0},    // Insert
    {111, 46, 0x53, true, 0},    // Delete
    {113, 173, 0x20, true, 0},   // Mute
    {114, 174, 0x2E, true, 0},   // Volume Down
    {115, 175, 0x30, true, 0},   // Volume Up
    {119, 19, 0x45, false, 0},   // Pause
    {125, 91, 0x5B, true, 0},    // left Windows key
    {126, 92, 0x5C, true, 0},    // right Windows key
    {127, 93, 0x5D, true, 0},    // menu key
    {128, 169, 0x68, true, 0},   // browser Stop
    {140, 183, 0x21, true, 0},   // calculator
    {155, 180, 0x6C, true, 0},   // mail
    {156, 171, 0x66, true, 0},   // favourites
    {157, 182, 0x6B, true, 0},   // my computer
    {158, 166, 0x6A, true, 0},   // browser Back
    {159, 167, 0x69, true, 0},   // browser Forward
    {163, 176, 0x19, true, 0},   // next track
    {164, 179, 0x22, true, 0},   // play/pause
    {165, 177, 0x10, true, 0},   // previous track
    {166, 178, 0x24, true, 0},   // media Stop
    {172, 172, 0x32, true, 0},   // browser Home
    {173, 168, 0x67, true, 0},   // browser Refresh
    {183, 124, 0x64, false, 0},  // F13
    {194, 135, 0x76, false, 0},  // F24
    {217, 170, 0x65, true, 0},   // browser Search
    {226, 181, 0x6D, true, 0},   // media select
};

TEST(EvdevKeyTable, MapsLinuxKeysToTheVirtualKeysWindowsReports) {
  for (const Pair& p : kExpected) {
    SCOPED_TRACE("Linux key " + std::to_string(p.code));
    const EvdevKeyMapping* row = FindEvdevKey(p.code);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->vk, p.vk);
    EXPECT_EQ(row->scanCode, p.scan);
    EXPECT_EQ(row->extended, p.extended);
    EXPECT_EQ(row->vkWithoutNumLock, p.vkWithoutNumLock);
  }
  // Power, reserved, brightness and mouse buttons are not keys the recorder names.
  for (uint16_t code : {0, 84, 116, 225, 0x110, 0x2FF, 0xFFFF})
    EXPECT_EQ(FindEvdevKey(code), nullptr) << code;
}

TEST(EvdevKeyTable, EveryRowNamesAKeyTheKeyCodeTableDescribes) {
  std::set<std::pair<uint8_t, bool>> seen;
  for (const EvdevKeyMapping& row : EvdevKeyTable()) {
    SCOPED_TRACE("Linux key " + std::to_string(row.code));
    for (uint8_t vk : {row.vk, row.vkWithoutNumLock}) {
      if (!vk) continue;
      const std::string d = GetKeyDescriptionByVK(vk, vk == row.vk && row.extended);
      EXPECT_FALSE(d.empty() || d.rfind("UNDEFINED_", 0) == 0 || d == "Undefined") << int(vk);
    }
    // Two Linux keys never give one Windows key, or a recording could not tell them apart.
    EXPECT_TRUE(seen.insert({row.vk, row.extended}).second) << int(row.vk);
  }
}

// ---- translation ----

input_event ev(uint16_t type, uint16_t code, int32_t value, uint64_t ms = 1000) {
  input_event e{};
  e.input_event_sec = static_cast<decltype(e.input_event_sec)>(ms / 1000);
  e.input_event_usec = static_cast<decltype(e.input_event_usec)>(ms % 1000 * 1000 + 321);
  e.type = type;
  e.code = code;
  e.value = value;
  return e;
}

std::vector<input_event> frame(std::initializer_list<input_event> events) {
  return events;
}

TEST(EvdevTranslate, KeysBecomeKeyboardRecordsWithWindowsFlagsAndTimes) {
  struct Case {
    const char* name;
    uint16_t code;
    int32_t value;
    uint32_t vk, scan, flags;
  };
  const Case cases[] = {
      {"press", 30, 1, 65, 0x1E, 0x00},
      {"auto-repeat is a press", 30, 2, 65, 0x1E, 0x00},
      {"release", 30, 0, 65, 0x1E, 0x80},
      {"extended press", 97, 1, 163, 0x1D, 0x01},
      {"extended release", 97, 0, 163, 0x1D, 0x81},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EvdevTranslator t;
    EvdevSharedState shared;
    // The scan code a USB keyboard reports beside the key is no input of its own.
    auto in = t.translate(
        frame({ev(EV_MSC, MSC_SCAN, 0x70004, 61234), ev(EV_KEY, c.code, c.value, 61234)}), shared);
    ASSERT_EQ(in.size(), 1u);
    EXPECT_EQ(in[0].kind, EvdevHookInput::Kind::Key);
    EXPECT_EQ(in[0].key.vkCode, c.vk);
    EXPECT_EQ(in[0].key.scanCode, c.scan);
    EXPECT_EQ(in[0].key.flags, c.flags);
    EXPECT_EQ(in[0].key.time, 61234u);
    ASSERT_EQ(in[0].raw.size(), 1u);
    EXPECT_EQ(in[0].raw[0].code, c.code);
  }
  // Milliseconds wrap at 32 bits like the Windows tick count: 5000000 s is 705032704 ms.
  EXPECT_EQ(EventMilliseconds(ev(EV_KEY, 30, 1, 5000000000ull)), 705032704u);
}

TEST(EvdevTranslate, KeypadFollowsNumLockAndAKeyReleasesWhatItPressed) {
  EvdevTranslator t;
  EvdevSharedState shared;
  shared.numLock = false;
  auto vkOf = [&](uint16_t code, int32_t value) {
    auto in = t.translate(frame({ev(EV_KEY, code, value)}), shared);
    return in.at(0).key.vkCode;
  };
  EXPECT_EQ(vkOf(71, 1), 36u);   // keypad 7 without Num Lock: Home, not extended
  EXPECT_EQ(vkOf(69, 1), 144u);  // Num Lock on
  EXPECT_TRUE(shared.numLock);
  EXPECT_EQ(vkOf(69, 0), 144u);
  EXPECT_TRUE(shared.numLock);  // only the press toggles
  EXPECT_EQ(vkOf(71, 2), 36u);  // still the key it went down as
  EXPECT_EQ(vkOf(71, 0), 36u);
  EXPECT_EQ(vkOf(71, 1), 103u);  // now keypad 7
  EXPECT_EQ(t.heldVk(71), 103u);
}

TEST(EvdevTranslate, UnknownKeysAndForeignEventsPassAsTheyAre) {
  EvdevTranslator t;
  EvdevSharedState shared;
  auto in = t.translate(frame({ev(EV_KEY, 116, 1), ev(EV_KEY, 0x120, 1), ev(EV_REL, REL_DIAL, 3),
                               ev(EV_LED, LED_NUML, 1)}),
                        shared);
  ASSERT_EQ(in.size(), 3u);  // the LED state is dropped
  for (const auto& i : in) {
    EXPECT_EQ(i.kind, EvdevHookInput::Kind::Other);
    ASSERT_EQ(i.raw.size(), 1u);
  }
  EXPECT_EQ(in[0].raw[0].code, 116);
  EXPECT_EQ(in[1].raw[0].code, 0x120);  // a joystick button
  EXPECT_EQ(in[2].raw[0].code, REL_DIAL);
}

TEST(EvdevTranslate, MouseFramesBecomeOneMoveThenButtonsAndWheelsAtTheNewPosition) {
  EvdevTranslator t;
  EvdevSharedState shared;
  shared.pointer = {100, 50};
  auto in = t.translate(
      frame({ev(EV_REL, REL_X, 5, 2000), ev(EV_KEY, BTN_LEFT, 1, 2000), ev(EV_REL, REL_Y, -3, 2000),
             ev(EV_REL, REL_WHEEL, -1, 2000), ev(EV_REL, REL_WHEEL_HI_RES, -120, 2000),
             ev(EV_MSC, MSC_SCAN, 0x90001, 2000)}),
      shared);
  ASSERT_EQ(in.size(), 3u);
  EXPECT_EQ(in[0].message, 512u);
  EXPECT_EQ(in[0].mouse.pt.x, 105);
  EXPECT_EQ(in[0].mouse.pt.y, 47);
  EXPECT_EQ(in[0].mouse.time, 2000u);
  ASSERT_EQ(in[0].raw.size(), 2u);  // the summed motion, to pass on
  EXPECT_EQ(in[0].raw[0].code, REL_X);
  EXPECT_EQ(in[0].raw[0].value, 5);
  EXPECT_EQ(in[0].raw[1].code, REL_Y);
  EXPECT_EQ(in[0].raw[1].value, -3);
  EXPECT_EQ(in[1].message, 513u);
  EXPECT_EQ(in[1].mouse.pt.x, 105);
  EXPECT_EQ(in[2].message, 522u);
  EXPECT_EQ(in[2].mouse.mouseData, 0xFF880000u);  // -120 in the high word
  ASSERT_EQ(in[2].raw.size(), 1u);                // whole notches only
  EXPECT_EQ(in[2].raw[0].code, REL_WHEEL);

  struct Case {
    uint16_t type, code;
    int32_t value;
    uint32_t message, mouseData;
  };
  const Case cases[] = {
      {EV_KEY, BTN_LEFT, 0, 514, 0},
      {EV_KEY, BTN_RIGHT, 1, 516, 0},
      {EV_KEY, BTN_RIGHT, 0, 517, 0},
      {EV_KEY, BTN_MIDDLE, 1, 519, 0},
      {EV_KEY, BTN_MIDDLE, 0, 520, 0},
      {EV_KEY, BTN_SIDE, 1, 523, 0x00010000},
      {EV_KEY, BTN_BACK, 0, 524, 0x00010000},
      {EV_KEY, BTN_EXTRA, 1, 523, 0x00020000},
      {EV_KEY, BTN_FORWARD, 0, 524, 0x00020000},
      {EV_REL, REL_WHEEL, 2, 522, 0x00F00000},
      {EV_REL, REL_HWHEEL, -1, 526, 0xFF880000},
      {EV_REL, REL_WHEEL, 1000, 522, 0x7FF80000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.code) + "=" + std::to_string(c.value));
    auto one = t.translate(frame({ev(c.type, c.code, c.value)}), shared);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].kind, EvdevHookInput::Kind::Mouse);
    EXPECT_EQ(one[0].message, c.message);
    EXPECT_EQ(one[0].mouse.mouseData, c.mouseData);
  }
}

// ---- routing: grabs, passing on, time order, held keys ----

constexpr uint16_t kA = 30, kEnter = 28, kLeftCtrl = 29, kLeftShift = 42, kPower = 116;

struct FakeIo : EvdevRouterIo {
  std::set<int> refuse;
  std::map<int, bool> grabbed;
  std::vector<std::string> log;  // "grab 1", "ungrab 1", "emit key 30 1; ..."
  bool setGrab(int device, bool grab) override {
    log.push_back((grab ? "grab " : "ungrab ") + std::to_string(device));
    if (grab && refuse.count(device)) return false;
    grabbed[device] = grab;
    return true;
  }
  void emitFrame(std::span<const input_event> events) override {
    std::string s = "emit";
    for (const input_event& e : events)
      s += std::string(s == "emit" ? " " : "; ") + (e.type == EV_KEY ? "key " : "rel ") +
           std::to_string(e.code) + " " + std::to_string(e.value);
    log.push_back(s);
  }
  std::vector<std::string> take() { return std::exchange(log, {}); }
};

EvdevDeviceInfo keyboard(std::vector<uint16_t> held = {}) {
  return {true, false, true, std::move(held)};
}
EvdevDeviceInfo mouse(bool grabbable = true) {
  return {false, true, grabbable, {}};
}

struct RouterRig {
  FakeIo io;
  EvdevHookRouter router{io};
  // One frame of key events from a device, delivered.
  void keys(int device, std::initializer_list<std::pair<uint16_t, int32_t>> codes,
            uint64_t ms = 1000) {
    for (auto [code, value] : codes) router.feed(device, ev(EV_KEY, code, value, ms));
    router.feed(device, ev(EV_SYN, SYN_REPORT, 0, ms));
    router.flush();
  }
};

TEST(EvdevRouter, GrabsWhatAnEnabledHookWantsAndReleasesItOnDisable) {
  RouterRig r;
  r.router.addDevice(1, keyboard());
  r.router.addDevice(2, mouse());
  r.router.addDevice(3, mouse(false));  // e.g. an absolute pointer: watched, never grabbed
  EXPECT_TRUE(r.io.take().empty());
  r.router.EnableKeyboardHook([](int, const TKBDLLHOOKSTRUCT&, bool&) {});
  EXPECT_EQ(r.io.take(), std::vector<std::string>{"grab 1"});
  r.router.EnableMouseHook([](int, uint32_t, const TMSLLHOOKSTRUCT&, bool&) {});
  EXPECT_EQ(r.io.take(), std::vector<std::string>{"grab 2"});
  r.router.addDevice(4, keyboard());  // plugged in while the hook runs
  EXPECT_EQ(r.io.take(), std::vector<std::string>{"grab 4"});
  r.router.DisableKeyboardHook();
  EXPECT_EQ(r.io.take(), (std::vector<std::string>{"ungrab 1", "ungrab 4"}));
  r.router.DisableMouseHook();
  EXPECT_EQ(r.io.take(), std::vector<std::string>{"ungrab 2"});
}

TEST(EvdevRouter, PassesOnWhatTheCallbackLeavesAndNeverLeavesAKeyHeld) {
  RouterRig r;
  r.router.addDevice(1, keyboard());
  std::vector<uint32_t> seen;
  // Swallows A's press but lets its release through; swallows Enter's release only.
  r.router.EnableKeyboardHook([&](int, const TKBDLLHOOKSTRUCT& k, bool& blocked) {
    seen.push_back(k.vkCode | (k.flags & LLKHF_UP ? 0x1000 : 0));
    blocked = (k.vkCode == 65 && !(k.flags & LLKHF_UP)) || (k.vkCode == 13 && (k.flags & LLKHF_UP));
  });
  r.io.take();
  r.keys(1, {{kLeftShift, 1}});
  r.keys(1, {{kA, 1}});
  r.keys(1, {{kA, 2}});
  r.keys(1, {{kA, 0}});  // its press never went out: nothing to release
  r.keys(1, {{kEnter, 1}});
  r.keys(1, {{kEnter, 0}});  // swallowed, but it went down on the output device: released
  r.keys(1, {{kPower, 1}, {kPower, 0}});  // no hook input: passed as it is
  EXPECT_EQ(seen, (std::vector<uint32_t>{160, 65, 65, 0x1000 | 65, 13, 0x1000 | 13}));
  EXPECT_EQ(r.io.take(), (std::vector<std::string>{"emit key 42 1", "emit key 28 1",
                                                   "emit key 28 0", "emit key 116 1; key 116 0"}));
  r.router.DisableKeyboardHook();  // Shift is still down on the output device
  EXPECT_EQ(r.io.take(), (std::vector<std::string>{"ungrab 1", "emit key 42 0"}));
}

TEST(EvdevRouter, WaitsForHeldKeysBeforeGrabbingAndCannotSwallowMeanwhile) {
  RouterRig r;
  r.router.addDevice(1, keyboard({kEnter}));  // Enter still down from the click on "Record"
  EXPECT_TRUE(r.router.IsKeyDown(13));
  std::vector<uint32_t> seen;
  r.router.EnableKeyboardHook([&](int, const TKBDLLHOOKSTRUCT& k, bool& blocked) {
    seen.push_back(k.flags);
    blocked = true;
  });
  EXPECT_TRUE(r.io.take().empty());  // a grab now would leave Enter pressed for everyone
  r.keys(1, {{kEnter, 0}});
  EXPECT_EQ(seen, std::vector<uint32_t>{0x80});  // the release is still reported
  EXPECT_FALSE(r.router.IsKeyDown(13));
  EXPECT_EQ(r.io.take(), std::vector<std::string>{"grab 1"});  // nothing emitted: it was seen
  r.keys(1, {{kA, 1}});
  EXPECT_TRUE(r.io.take().empty());  // swallowed
}

TEST(EvdevRouter, ARefusedGrabLeavesTheDeviceWatched) {
  RouterRig r;
  r.io.refuse = {1};
  r.router.addDevice(1, keyboard());
  int calls = 0;
  r.router.EnableKeyboardHook([&](int, const TKBDLLHOOKSTRUCT&, bool& blocked) {
    ++calls;
    blocked = true;
  });
  EXPECT_EQ(r.io.take(), std::vector<std::string>{"grab 1"});
  r.keys(1, {{kA, 1}});
  r.keys(1, {{kA, 0}});
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(r.io.take().empty());  // not retried on every frame, nothing emitted twice
  EXPECT_FALSE(r.router.grabbed(1));
}

TEST(EvdevRouter, ACallbackThatEndsItsHookLeavesNothingHeld) {
  RouterRig r;
  r.router.addDevice(1, keyboard());
  r.router.EnableKeyboardHook([&](int, const TKBDLLHOOKSTRUCT&, bool&) {
    r.router.DisableKeyboardHook();  // passes the key on and stops
  });
  r.io.take();
  r.keys(1, {{kA, 1}});
  EXPECT_EQ(r.io.take(), (std::vector<std::string>{"ungrab 1", "emit key 30 1", "emit key 30 0"}));
  r.keys(1, {{kA, 0}});  // now it goes straight to the desktop
  EXPECT_TRUE(r.io.take().empty());
}

TEST(EvdevRouter, DeliversFramesOfAllDevicesInTimeOrderAndNeverBackwards) {
  RouterRig r;
  r.router.addDevice(1, keyboard());
  r.router.addDevice(2, keyboard());
  std::vector<std::string> seen;
  r.router.EnableKeyboardHook([&](int, const TKBDLLHOOKSTRUCT& k, bool&) {
    seen.push_back(std::to_string(k.vkCode) + "@" + std::to_string(k.time));
  });
  // Read device 2 first, though device 1's key came first.
  r.router.feed(2, ev(EV_KEY, 48, 1, 2000));
  r.router.feed(2, ev(EV_SYN, SYN_REPORT, 0, 2000));
  r.router.feed(1, ev(EV_KEY, kA, 1, 1500));
  r.router.feed(1, ev(EV_KEY, kA, 0, 1500));  // half a frame: waits for its SYN_REPORT
  r.router.flush();
  r.router.feed(1, ev(EV_SYN, SYN_REPORT, 0, 1500));
  r.router.flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"66@2000", "65@2000", "65@2000"}));

  seen.clear();
  r.router.feed(1, ev(EV_KEY, 48, 0, 3000));
  r.router.feed(1, ev(EV_SYN, SYN_REPORT, 0, 3000));
  r.router.feed(2, ev(EV_KEY, kA, 1, 2500));
  r.router.feed(2, ev(EV_SYN, SYN_REPORT, 0, 2500));
  r.router.flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"65@2500", "66@3000"}));
}

TEST(EvdevRouter, KeyStateCountsEveryKeyboardAndForgetsARemovedOne) {
  RouterRig r;
  r.router.addDevice(1, keyboard());
  r.router.addDevice(2, keyboard());
  r.keys(1, {{kLeftCtrl, 1}});
  r.keys(2, {{kLeftCtrl, 1}});
  r.keys(1, {{kLeftCtrl, 2}, {kLeftCtrl, 0}});
  EXPECT_TRUE(r.router.IsKeyDown(162));
  EXPECT_TRUE(r.router.IsKeyDown(17));  // either Ctrl
  EXPECT_FALSE(r.router.IsKeyDown(163));
  r.router.removeDevice(2);  // unplugged with Ctrl held
  EXPECT_FALSE(r.router.IsKeyDown(17));
}

TEST(EvdevRouter, MouseHookSwallowsAButtonAndPassesTheMotionOfTheSameFrame) {
  RouterRig r;
  r.router.addDevice(2, mouse());
  r.router.setPointerPosition({640, 480});
  std::vector<std::string> seen;
  r.router.EnableMouseHook([&](int, uint32_t m, const TMSLLHOOKSTRUCT& hs, bool& blocked) {
    seen.push_back(std::to_string(m) + " " + std::to_string(hs.pt.x) + "," +
                   std::to_string(hs.pt.y));
    blocked = m == 516;
  });
  r.io.take();
  for (const input_event& e : {ev(EV_REL, REL_X, -40), ev(EV_KEY, BTN_RIGHT, 1),
                               ev(EV_REL, REL_Y, 20), ev(EV_SYN, SYN_REPORT, 0)})
    r.router.feed(2, e);
  r.router.flush();
  EXPECT_EQ(seen, (std::vector<std::string>{"512 600,500", "516 600,500"}));
  EXPECT_EQ(r.io.take(), std::vector<std::string>{"emit rel 0 -40; rel 1 20"});
}

}  // namespace
}  // namespace qor
