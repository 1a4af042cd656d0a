// SPDX-License-Identifier: GPL-2.0-or-later
// The profile upload: everything a profile puts into the mouse's first bank, built once.
#pragma once

#include <cstdint>
#include <functional>
#include <system_error>
#include <vector>

#include "model/profile_records.h"
#include "protocol/profile_blocks.h"

namespace qor {

class TuiHIDData;

// Every block and byte an upload writes, built once: Apply writes it and its check reads the
// same bytes back.
struct UploadBlocks {
  ButtonTable buttonTable;
  MacroImage macroImage;
  LEDBlock ledBlock;
  CPIBlock cpiBlock;
  uint8_t reportRateByte = 0;
  uint8_t bankSelector = 0;  // the first bank
  uint8_t wheelLEDByte = 0;
};

// The upload of `profile` (buttons 3 and 4 exchanged into device order). What the device
// formats cannot carry is added to `warnings`.
UploadBlocks BuildUpload(const TMOUSEPROFILEINFO& profile, UploadWarnings* warnings = nullptr);

// Lets the window system handle pending events; the command line passes none.
using YieldToEvents = std::function<void()>;

// Writes the upload's profile blocks, yielding after each: the button table at 144, the macro
// slots, the LED block at 2177, the CPI block at 72. Returns the first failing write's error
// (nothing is written after it), if any.
std::error_code WriteProfileBlocks(TuiHIDData& device, const UploadBlocks& upload,
                                   const YieldToEvents& yield = {});

// One run of device memory and the bytes an upload leaves there.
struct DeviceBlock {
  uint16_t address;
  std::vector<uint8_t> bytes;
};
// Every run the upload writes, in the order Apply writes them: the profile blocks (the macro
// slots as WriteMacroSlots sends them), the report rate byte, the bank selector, the wheel
// LED byte.
std::vector<DeviceBlock> DeviceBlocksOf(const UploadBlocks& upload);

}  // namespace qor
