// The key code table: Windows virtual-key codes to HID usages and key descriptions.
#pragma once

#include <cstdint>
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
// The key's description; empty when vk is out of range.
std::string GetKeyDescriptionByVK(uint32_t vk, int32_t extended);
// "Alt+", "Ctrl+", "Shift+", "WIN+" for modifier bits 0..3, in that order.
std::string GetModifierText(uint8_t flags);
// Modifier flags (bit 0 Alt, 1 Ctrl, 2 Shift, 3 Windows) as HID modifier bits (bit 0 Ctrl,
// 1 Shift, 2 Alt, 3 GUI); higher bits are dropped.
uint8_t GetHIDModifierBits(uint8_t flags);

}  // namespace qor
