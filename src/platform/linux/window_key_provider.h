// SPDX-License-Identifier: GPL-2.0-or-later
// A HookProvider fed with the program's own key events instead of the desktop's: the
// combination dialog's keyboard when /dev/input or /dev/uinput cannot be used. Keys reach it
// only while the window has the keyboard; swallowing means the window ignores them.
#pragma once

#include "platform/hook_provider.h"

namespace qor {

class WindowKeyHookProvider final : public HookProvider {
 public:
  // Hands one key of the window to the keyboard hook. `nativeScanCode` is the X11 (xkb)
  // key code, the Linux key code + 8. Returns whether the hook swallowed it; keys the key
  // table does not know are not hooked and return false.
  bool FeedKey(uint32_t nativeScanCode, bool press, uint32_t timeMs);

  void EnableKeyboardHook(TKeyboardHookCallback Callback) override { keyboard_ = Callback; }
  void DisableKeyboardHook() override { keyboard_ = nullptr; }
  // The window has no mouse hook: the mouse is the window's own.
  void EnableMouseHook(TMouseHookCallback) override {}
  void DisableMouseHook() override {}
  bool IsKeyDown(uint32_t vkCode) const override { return held_.isDown(vkCode); }
  int fd() const override { return -1; }
  void dispatch() override {}

 private:
  TKeyboardHookCallback keyboard_;
  HeldKeys held_;
};

}  // namespace qor
