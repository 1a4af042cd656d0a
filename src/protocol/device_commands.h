// SPDX-License-Identifier: GPL-2.0-or-later
// The device command set: block reads and writes of the mouse's memory, and the commands
// without data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <system_error>

#include "protocol/profile_blocks.h"

namespace qor {

class TuiHIDData;

// The device memory map: every block the program touches (addresses in decimal).
inline constexpr std::size_t kDeviceMemorySize = 2408;
inline constexpr uint16_t kModelNumberAddress = 0;  // up to 16 one-byte characters, 0-ended
inline constexpr std::size_t kModelNumberSize = 16;
inline constexpr uint16_t kWheelLEDAddress = 62;      // bit 7 LED on, bits 0-6 wheel value
inline constexpr uint16_t kBankSelectorAddress = 64;  // 0 selects the first bank
inline constexpr uint16_t kReportRateAddress = 69;    // rate code x 17: both nibbles
inline constexpr uint16_t kCPIBlockAddress = 72;      // CPI block of the first bank
inline constexpr uint16_t kButtonTableAddress = 144;  // button table of the first bank
inline constexpr uint16_t kMacroSlotAddress[kMacroSlotCount] = {209, 593, 977, 1361, 1745};
inline constexpr uint16_t kLEDBlockAddress = 2177;            // LED block of the first bank
inline constexpr uint16_t kSecondBankCPIBlockAddress = 2376;  // CPI block of the second bank

// Offsets inside a CPI block (its layout is next to BuildCPIBlock).
inline constexpr std::size_t kCPIBlockLevelCount = 0;
inline constexpr std::size_t kCPIBlockCurrentLevel = 1;
inline constexpr std::size_t kCPIBlockFirstLevel = 2;  // then 10 x {enabled, X code, Y code}

static_assert(kMacroSlotAddress[kMacroSlotCount - 1] + kMacroSlotSize <= kLEDBlockAddress);
static_assert(kSecondBankCPIBlockAddress + kCPIBlockSize == kDeviceMemorySize);

// Every write and command below returns the failing exchange's error, if any (errno values;
// no_such_device when no mouse took it), so that a mouse that stops answering is noticed.

// Writes `length` (0..2048) bytes at `address`; a length of 0 sends nothing.
std::error_code WriteDeviceBlock(TuiHIDData& device, const uint8_t* data, uint16_t length,
                                 uint16_t address);
// Reads `length` bytes at `address` into `buffer`; on an error `buffer` is left as it was.
std::error_code ReadDeviceBlock(TuiHIDData& device, uint8_t* buffer, uint16_t length,
                                uint16_t address);
std::error_code WriteDeviceByte(TuiHIDData& device, uint8_t value, uint16_t address);
std::error_code ReadDeviceByte(TuiHIDData& device, uint8_t& buffer, uint16_t address);
std::error_code WriteButtonTable(TuiHIDData& device, const ButtonTable& table, uint16_t address);
// The bytes of macro slot `slot` that WriteMacroSlots sends: slots 0-3 their stored lengths (a
// length above 384 cut to the slot), slot 4 always in full.
uint16_t MacroSlotWriteLength(const MacroImage& image, int slot);
// Writes the slots with those lengths (a slot of length 0 is skipped), stopping at the first
// failure.
std::error_code WriteMacroSlots(TuiHIDData& device, const MacroImage& image);
std::error_code WriteLEDBlock(TuiHIDData& device, const LEDBlock& block, uint16_t address);
std::error_code WriteCPIBlock(TuiHIDData& device, const CPIBlock& block, uint16_t address);
std::error_code ReadCPIBlock(TuiHIDData& device, CPIBlock& buffer, uint16_t address);
// Reads the 16 bytes at address 0.
std::error_code ReadModelNumber(TuiHIDData& device, std::array<uint8_t, kModelNumberSize>& buffer);
// Reads the bank selector, then that bank's CPI block; stores its current level in `index`
// (left as it was when a read fails).
std::error_code ReadCurrentCPIIndex(TuiHIDData& device, int32_t& index);
// Shows an LED setting at once: header bytes 1-5 are LED block bytes 0-4.
std::error_code SendLEDPreview(TuiHIDData& device, const LEDBlock& block);
std::error_code SendCommand1(TuiHIDData& device, uint8_t p0, uint8_t p1);
std::error_code SendCommand6(TuiHIDData& device, uint8_t a, uint8_t b);

}  // namespace qor
