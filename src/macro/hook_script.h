// SPDX-License-Identifier: GPL-2.0-or-later
// A HookProvider that plays a list of timed events instead of the desktop's input: for the
// recorder's tests, for GUI tests and for demos that replay a recording.
//
// Script text, one event a line, fields separated by blanks, "#" starts a comment:
//
//   TIME key KEY down|up [ext] [scan=N]
//   TIME mouse MESSAGE X Y [DATA] [injected]
//
// TIME    the event's time stamp in milliseconds, 0 to 4294967295. Events play in the order
//         written, so a script can also hold a time that goes backwards.
// KEY     a virtual-key code (decimal, or hexadecimal with 0x) or its name in the key code
//         table: VK_A, VK_LCONTROL, VK_RETURN. A name only the table of extended keys has
//         (VK_INSERT, VK_DELETE) implies "ext".
// ext     sets the extended-key flag (the keypad's Enter, the separate arrow keys).
// scan=N  the scan code (0 when left out).
// MESSAGE a mouse message by name (WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP,
//         WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MOUSEWHEEL,
//         WM_XBUTTONDOWN, WM_XBUTTONUP, WM_MOUSEHWHEEL, the *DBLCLK ones) or number (512-526).
// X Y     the pointer position.
// DATA    the high word of mouseData: the wheel delta (120 a notch, negative towards the
//         user) or the X-button number (1 back, 2 forward).
// injected marks the event as made by software.
//
// Example, a held A with two auto-repeats, then B:
//
//   1000 key VK_A down
//   1500 key VK_A down
//   1533 key VK_A down
//   1600 key VK_A up
//   1650 key VK_B down
#pragma once

#include <bitset>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hook_provider.h"

namespace qor {

struct ScriptedHookEvent {
  enum class Kind { Key, Mouse };
  Kind kind = Kind::Key;
  TKBDLLHOOKSTRUCT key{};
  uint32_t message = 0;
  TMSLLHOOKSTRUCT mouse{};
};

ScriptedHookEvent ScriptedKey(uint32_t time, uint32_t vk, bool down, bool extended = false,
                              uint32_t scan = 0);
ScriptedHookEvent ScriptedMouse(uint32_t time, uint32_t message, int32_t x, int32_t y,
                                int16_t data = 0);

// The events of a script; nothing, with `error` naming the line and the fault, when a line
// is not understood.
std::optional<std::vector<ScriptedHookEvent>> ParseHookScript(std::string_view text,
                                                              std::string& error);
// The same from a file; `error` also names the file.
std::optional<std::vector<ScriptedHookEvent>> LoadHookScript(const std::filesystem::path& file,
                                                             std::string& error);

// What became of a played event.
enum class HookOutcome {
  Unhooked,   // no hook of its kind was enabled
  PassedOn,   // the callback left Blocked false
  Swallowed,  // the callback set Blocked
};

struct PlayedHookEvent {
  ScriptedHookEvent event;
  HookOutcome outcome;
};

class ScriptedHookProvider final : public HookProvider {
 public:
  enum class Pacing {
    AtOnce,    // dispatch() plays everything queued
    RealTime,  // dispatch() plays what is due, counted from the first Enable, at the
               // script's pace
  };
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  explicit ScriptedHookProvider(std::vector<ScriptedHookEvent> events = {},
                                Pacing pacing = Pacing::AtOnce, Clock clock = {});

  void Append(const ScriptedHookEvent& event) { events_.push_back(event); }
  void Append(const std::vector<ScriptedHookEvent>& events);

  void EnableKeyboardHook(TKeyboardHookCallback Callback) override;
  void DisableKeyboardHook() override;
  void EnableMouseHook(TMouseHookCallback Callback) override;
  void DisableMouseHook() override;
  // From the key events played so far, whether hooked or not.
  bool IsKeyDown(uint32_t vkCode) const override { return held_.isDown(vkCode); }
  // None: the event loop calls dispatch() from a timer (every 10 ms does for a demo).
  int fd() const override { return -1; }
  void dispatch() override;

  bool KeyboardHookEnabled() const { return static_cast<bool>(keyboard_); }
  bool MouseHookEnabled() const { return static_cast<bool>(mouse_); }
  // Every event played so far, in order, with its outcome.
  const std::vector<PlayedHookEvent>& Played() const { return played_; }
  std::size_t Pending() const { return events_.size() - next_; }

 private:
  void startClock();
  bool due(const ScriptedHookEvent& event) const;
  void play(const ScriptedHookEvent& event);

  std::vector<ScriptedHookEvent> events_;
  std::size_t next_ = 0;
  Pacing pacing_;
  Clock clock_;
  std::optional<std::chrono::steady_clock::time_point> start_;
  uint32_t firstTime_ = 0;
  TKeyboardHookCallback keyboard_;
  TMouseHookCallback mouse_;
  HeldKeys held_;
  std::bitset<256> down_;
  std::vector<PlayedHookEvent> played_;
};

}  // namespace qor
