// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/cpi_table.h"

#include <algorithm>

namespace qor {

int GetNearestCPIIndex(uint32_t v) {
  constexpr uint32_t last = kCPIStep * kCPITableSize;
  if (v <= kCPIStep) return 0;
  if (v >= last) return kCPITableSize - 1;
  const int i = static_cast<int>(v / kCPIStep) - 1;  // entry i <= v < entry i + 1
  const uint32_t d1 = v - kCPIStep * (i + 1);
  const uint32_t d2 = kCPIStep * (i + 2) - v;
  return d1 > d2 ? i + 1 : i;
}

uint32_t GetNearestCPIValue(uint32_t v) {
  return kCPIStep * (GetNearestCPIIndex(v) + 1);
}

uint8_t GetCPICode(uint32_t x, uint32_t y) {
  if (x == 0 || y == 0) return 1;
  return static_cast<uint8_t>(GetNearestCPIIndex(std::max(x, y)) + 1);
}

}  // namespace qor
