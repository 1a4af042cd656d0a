// SPDX-License-Identifier: GPL-2.0-or-later
// The system-wide keyboard and mouse hook: every key and mouse event of the desktop, in time
// order, with the power to swallow it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qor {

// One keyboard event, laid out as Windows hands it to a low-level keyboard hook.
struct TKBDLLHOOKSTRUCT {
  uint32_t vkCode = 0;    // virtual-key code
  uint32_t scanCode = 0;  // set-1 scan code, without the 0xE0 prefix
  uint32_t flags = 0;     // LLKHF_EXTENDED, LLKHF_UP
  uint32_t time = 0;      // milliseconds; wraps after 49.7 days
  uint32_t dwExtraInfo = 0;
};
static_assert(sizeof(TKBDLLHOOKSTRUCT) == 20);

inline constexpr uint32_t LLKHF_EXTENDED = 0x01;
inline constexpr uint32_t LLKHF_UP = 0x80;

struct TPOINT {
  int32_t x = 0;
  int32_t y = 0;
};

// One mouse event, laid out as Windows hands it to a low-level mouse hook.
struct TMSLLHOOKSTRUCT {
  TPOINT pt;               // pointer position
  uint32_t mouseData = 0;  // high 16 bits: wheel delta (signed) or X-button number
  uint32_t flags = 0;      // LLMHF_INJECTED
  uint32_t time = 0;       // milliseconds, the same clock as the keyboard's
  uint32_t dwExtraInfo = 0;
};
static_assert(sizeof(TMSLLHOOKSTRUCT) == 24);
static_assert(offsetof(TMSLLHOOKSTRUCT, mouseData) == 8);
static_assert(offsetof(TMSLLHOOKSTRUCT, time) == 16);

inline constexpr uint32_t LLMHF_INJECTED = 0x01;

// The hook code of an ordinary event.
inline constexpr int HC_ACTION = 0;

// Mouse messages, numbered as Windows numbers them.
inline constexpr uint32_t WM_MOUSEFIRST = 512;
inline constexpr uint32_t WM_MOUSEMOVE = 512;
inline constexpr uint32_t WM_LBUTTONDOWN = 513;
inline constexpr uint32_t WM_LBUTTONUP = 514;
inline constexpr uint32_t WM_RBUTTONDOWN = 516;
inline constexpr uint32_t WM_RBUTTONUP = 517;
inline constexpr uint32_t WM_MBUTTONDOWN = 519;
inline constexpr uint32_t WM_MBUTTONUP = 520;
inline constexpr uint32_t WM_MOUSEWHEEL = 522;
inline constexpr uint32_t WM_XBUTTONDOWN = 523;
inline constexpr uint32_t WM_XBUTTONUP = 524;
inline constexpr uint32_t WM_MOUSEHWHEEL = 526;

inline constexpr int WHEEL_DELTA = 120;  // one wheel notch
inline constexpr uint16_t XBUTTON1 = 1;  // back
inline constexpr uint16_t XBUTTON2 = 2;  // forward

// The word that mouseData carries in its high 16 bits.
inline uint32_t MouseDataWord(int16_t word) {
  return static_cast<uint32_t>(static_cast<uint16_t>(word)) << 16;
}
inline int16_t MouseDataWordOf(uint32_t mouseData) {
  return static_cast<int16_t>(static_cast<uint16_t>(mouseData >> 16));
}

// Called once for every keyboard (mouse) event while the hook is enabled. Setting Blocked
// swallows the event; left false, the event reaches the desktop as if nothing listened.
using TKeyboardHookCallback =
    std::function<void(int Code, const TKBDLLHOOKSTRUCT& HookStruct, bool& Blocked)>;
using TMouseHookCallback = std::function<void(int Code, uint32_t Message,
                                              const TMSLLHOOKSTRUCT& HookStruct, bool& Blocked)>;

// Why no hook can run: what is missing, named as this machine has it, and how to fix it.
struct HookProblem {
  std::string missing;  // "/dev/input/event*"
  std::string fix;      // one line for the user
};

// Callbacks run on the thread that calls dispatch() (the UI thread), in time order, and only
// between an Enable and the matching Disable. A callback may enable or disable hooks itself;
// events still pending then go to the new state. Each Enable replaces the callback of its
// kind.
class HookProvider {
 public:
  virtual ~HookProvider() = default;

  virtual void EnableKeyboardHook(TKeyboardHookCallback Callback) = 0;
  virtual void DisableKeyboardHook() = 0;
  virtual void EnableMouseHook(TMouseHookCallback Callback) = 0;
  virtual void DisableMouseHook() = 0;

  // Whether the key with this virtual-key code is held now; 16, 17 and 18 (Shift, Ctrl, Alt)
  // stand for either side.
  virtual bool IsKeyDown(uint32_t vkCode) const = 0;

  // The descriptor the event loop watches for reading; -1 when the provider has none and
  // wants dispatch() called from a timer instead.
  virtual int fd() const = 0;
  // Reads what is ready without waiting and hands it to the enabled callbacks.
  virtual void dispatch() = 0;

  // The keyboards an enabled keyboard hook could not take for itself (another program holds
  // them, or their keys cannot be passed on): what is typed on them also reaches other
  // programs. Keyboards waiting for their held keys to be released are not listed.
  virtual std::vector<std::string> UngrabbedKeyboards() const { return {}; }
};

// Held keys by virtual-key code, counted per source so that a key held on two keyboards is
// up only after both released it. Callers report changes only, never auto-repeats.
class HeldKeys {
 public:
  void press(uint32_t vk) {
    if (vk < count_.size() && count_[vk] < UINT8_MAX) ++count_[vk];
  }
  void release(uint32_t vk) {
    if (vk < count_.size() && count_[vk] > 0) --count_[vk];
  }
  // Exactly this key; see isDown for the generic modifiers.
  bool held(uint32_t vk) const { return vk < count_.size() && count_[vk] > 0; }
  // 16, 17, 18 (Shift, Ctrl, Alt) are held when either side is.
  bool isDown(uint32_t vk) const {
    switch (vk) {
      case 16:
        return held(160) || held(161);
      case 17:
        return held(162) || held(163);
      case 18:
        return held(164) || held(165);
      default:
        return held(vk);
    }
  }

 private:
  std::array<uint8_t, 256> count_{};
};

// Makes a provider; null with `problem` filled when none can run on this machine.
using HookProviderFactory = std::function<std::shared_ptr<HookProvider>(HookProblem& problem)>;

}  // namespace qor
