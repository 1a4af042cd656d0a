// SPDX-License-Identifier: GPL-2.0-or-later
// HookProvider on evdev: keyboards and mice found with libudev and read with libevdev,
// grabbed while a hook is enabled, with what the callbacks pass on written to one uinput
// device.
#pragma once

#include <memory>

#include "platform/hook_provider.h"

namespace qor {

class EvdevHookProvider final : public HookProvider {
 public:
  // Opens every keyboard and mouse that can be read and the output device. Null, with
  // `problem` saying what is missing and how to get it, when no device can be read or
  // /dev/uinput cannot be written (passed-on input would be lost).
  static std::shared_ptr<EvdevHookProvider> Open(HookProblem& problem);
  // Releases every grab and the output device.
  ~EvdevHookProvider() override;

  void EnableKeyboardHook(TKeyboardHookCallback Callback) override;
  void DisableKeyboardHook() override;
  void EnableMouseHook(TMouseHookCallback Callback) override;
  void DisableMouseHook() override;
  bool IsKeyDown(uint32_t vkCode) const override;
  // An epoll descriptor: the devices and the udev monitor that reports new ones.
  int fd() const override;
  void dispatch() override;
  // By the names the devices give themselves.
  std::vector<std::string> UngrabbedKeyboards() const override;

  // Tells where the pointer is; evdev knows only motion, so mouse events carry positions
  // counted from the last point given here (0, 0 at first).
  void SetPointerPosition(int32_t x, int32_t y);

  struct Impl;

 private:
  explicit EvdevHookProvider(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// The factory that makes the program's hook from this machine's input devices.
HookProviderFactory EvdevHookProviderFactory();

}  // namespace qor
