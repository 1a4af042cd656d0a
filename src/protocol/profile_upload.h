// SPDX-License-Identifier: GPL-2.0-or-later
// The profile upload: a profile's blocks written into the mouse's first bank.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "model/profile_records.h"
#include "protocol/profile_blocks.h"

namespace qor {

class TuiHIDData;

// Lets the window system handle pending events; the command line passes none.
using YieldToEvents = std::function<void()>;

// Builds the button table, LED block, macro image and CPI block from `profile` (buttons 3
// and 4 exchanged into device order) and writes them, yielding after each write: the button
// table at 144, the macro slots, the LED block at 2177, the CPI block at 72. What the device
// formats cannot carry is added to `warnings`. Returns 0, or the first failing write's result
// (nothing is written after it).
uint32_t WriteProfileBlocks(TuiHIDData& device, const TMOUSEPROFILEINFO& profile,
                            const YieldToEvents& yield = {}, UploadWarnings* warnings = nullptr);

// One run of device memory and the bytes an upload left there.
struct DeviceBlock {
  uint16_t address;
  std::vector<uint8_t> bytes;
};
// What WriteProfileBlocks writes for `profile`, block by block, for reading it back.
std::vector<DeviceBlock> ProfileBlocksInMemory(const TMOUSEPROFILEINFO& profile);

}  // namespace qor
