// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/window_key_provider.h"

#include "platform/linux/evdev_keymap.h"

namespace qor {
namespace {

constexpr uint32_t kXkbKeycodeOffset = 8;  // xkb key codes are the Linux key codes + 8

}  // namespace

bool WindowKeyHookProvider::FeedKey(uint32_t nativeScanCode, bool press, uint32_t timeMs) {
  if (nativeScanCode < kXkbKeycodeOffset || nativeScanCode - kXkbKeycodeOffset > 0xFFFF)
    return false;
  const EvdevKeyMapping* row =
      FindEvdevKey(static_cast<uint16_t>(nativeScanCode - kXkbKeycodeOffset));
  if (!row) return false;
  if (press)
    held_.press(row->vk);
  else
    held_.release(row->vk);
  TKBDLLHOOKSTRUCT key;
  key.vkCode = row->vk;
  key.scanCode = row->scanCode;
  key.flags = (row->extended ? LLKHF_EXTENDED : 0) | (press ? 0 : LLKHF_UP);
  key.time = timeMs;
  bool blocked = false;
  if (TKeyboardHookCallback cb = keyboard_) cb(HC_ACTION, key, blocked);
  return blocked;
}

}  // namespace qor
