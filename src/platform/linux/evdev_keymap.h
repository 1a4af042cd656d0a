// SPDX-License-Identifier: GPL-2.0-or-later
// Linux key codes as Windows virtual-key codes: the one table between evdev and the recorder.
#pragma once

#include <cstdint>
#include <span>

namespace qor {

// One key. `scanCode` is the set-1 scan code Windows reports (without its 0xE0 prefix, which
// `extended` stands for).
struct EvdevKeyMapping {
  uint16_t code;  // KEY_* of <linux/input-event-codes.h>
  uint8_t vk;     // virtual-key code
  uint8_t scanCode;
  bool extended;             // LLKHF_EXTENDED
  uint8_t vkWithoutNumLock;  // keypad keys: the navigation key they are with Num Lock off; 0 else
};

// The row of a Linux key code; null for keys the recorder cannot name (they are passed on).
const EvdevKeyMapping* FindEvdevKey(uint16_t code);
// Every row, ordered by code.
std::span<const EvdevKeyMapping> EvdevKeyTable();

}  // namespace qor
