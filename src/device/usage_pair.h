// SPDX-License-Identifier: GPL-2.0-or-later
// The HID usage pair that identifies the mouse's configuration interface.
#pragma once

#include <cstdint>

namespace qor {

struct USAGE_AND_PAGE {
  uint16_t Usage;
  uint16_t UsagePage;
};

// The mouse's vendor-defined configuration collection.
inline constexpr USAGE_AND_PAGE kMouseConfigUsage{0x0001, 0xFFA0};

}  // namespace qor
