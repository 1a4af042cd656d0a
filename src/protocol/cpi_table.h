// SPDX-License-Identifier: GPL-2.0-or-later
// The sensitivity values the mouse supports, and their one-byte device codes.
#pragma once

#include <cstdint>

namespace qor {

inline constexpr int kCPITableSize = 14;
inline constexpr uint32_t kCPIStep = 250;  // entry i = 250 x (i + 1): 250 .. 3500

// The table value nearest to v; a value exactly halfway goes to the lower entry.
uint32_t GetNearestCPIValue(uint32_t v);
// The index (0..13) of GetNearestCPIValue(v).
int GetNearestCPIIndex(uint32_t v);
// The device code of a level: 1 when x or y is 0, else the index of the larger, plus one.
uint8_t GetCPICode(uint32_t x, uint32_t y);

}  // namespace qor
