// SPDX-License-Identifier: GPL-2.0-or-later
// The key code table: Windows virtual-key codes to HID usages and key descriptions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qor {

// One row of the table.
struct TKeyboardInfoTable {
  std::string VKName;
  int32_t VKCode;
  int32_t ScanCode;  // carried, not used by the lookups
  int32_t Extended;  // 224 without the extended flag, 225 with it
  int32_t HIDCode;   // Keyboard/Keypad or Consumer page usage; -1 for none
  std::string KeyDescription;
};

inline constexpr int kKeyTableRows = 300;  // virtual-key codes 0..299

// The row of (vk, extended) in the normal or the extended table; null for vk past 299.
// Tables are built once, on first use, safely from any thread.
const TKeyboardInfoTable* FindKeyRow(uint32_t vk, int32_t extended);

// The HID code of a key; 0 when it has none or vk is out of range.
int32_t GetHIDCodeByVK(uint32_t vk, int32_t extended);
// The key's description: the user's keyboard layout's label when UseKeyLabels gave one, else
// the table's (US) description; empty when vk is out of range.
std::string GetKeyDescriptionByVK(uint32_t vk, int32_t extended);

// The label the user's keyboard layout prints on a key (vk, extended != 0), or empty where
// the table's description stays. Key codes stay positional; only the names shown change.
using KeyLabelSource = std::function<std::string(uint32_t vk, bool extended)>;
// Installs the labels (an empty source restores the table's descriptions). Called once at
// program start, before any thread looks keys up.
void UseKeyLabels(KeyLabelSource source);
// "Alt+", "Ctrl+", "Shift+", "WIN+" for modifier bits 0..3, in that order.
std::string GetModifierText(uint8_t flags);
// Modifier flags (bit 0 Alt, 1 Ctrl, 2 Shift, 3 Windows) as HID modifier bits (bit 0 Ctrl,
// 1 Shift, 2 Alt, 3 GUI); higher bits are dropped.
uint8_t GetHIDModifierBits(uint8_t flags);

}  // namespace qor
