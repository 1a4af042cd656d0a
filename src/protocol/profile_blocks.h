// SPDX-License-Identifier: GPL-2.0-or-later
// Turning a profile into the device blocks of the mouse's first bank.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/profile_records.h"

namespace qor {

inline constexpr int kButtonTableSize = 81;  // count byte + 20 slots of 4 bytes
inline constexpr int kButtonTableSlots = 20;
inline constexpr int kMacroSlotSize = 384;  // 128 actions of 3 bytes
inline constexpr int kMacroSlotCount = 5;
inline constexpr int kMacroImageSize = 1940;  // 5 slots, then 5 int32 lengths
inline constexpr int kMacroImageLengths = kMacroSlotSize * kMacroSlotCount;  // offset 1920
inline constexpr int kLEDBlockSize = 6;
inline constexpr int kCPIBlockSize = 32;  // count, current, 10 x (enabled, x, y)
inline constexpr int kCPIBlockLevels = 10;

using ButtonTable = std::array<uint8_t, kButtonTableSize>;
using MacroImage = std::array<uint8_t, kMacroImageSize>;
using LEDBlock = std::array<uint8_t, kLEDBlockSize>;
using CPIBlock = std::array<uint8_t, kCPIBlockSize>;
using MacroAction = std::array<uint8_t, 3>;

// Things the device formats cannot carry, and what was sent instead.
using UploadWarnings = std::vector<std::string>;

// Puts the profile in the order the device numbers its buttons: entries 3 and 4 exchanged.
// In place: a profile is too large to pass around by value.
void PutInDeviceOrder(TMOUSEPROFILEINFO& profile);

// The 81-byte button table. Macros past the device's five slots are sent as function 0.
void BuildButtonTable(const TMOUSEPROFILEINFO& profile, ButtonTable& out,
                      UploadWarnings* warnings = nullptr);
// The five macro slots and their lengths, from the macros on button entries 0 to 9.
void BuildMacroImage(const TMOUSEPROFILEINFO& profile, MacroImage& out,
                     UploadWarnings* warnings = nullptr);
// 255 - G, 255 - B, 255 - R, brightness, breathing speed, breathing time.
void BuildLEDBlock(const TLEDCONFIG& led, LEDBlock& out);
// Level count, current level, then enabled flag and CPI code (twice) for levels 0 to 9.
void BuildCPIBlock(const TMOUSEPROFILEINFO& profile, CPIBlock& out);
// One macro action in the device's 3-byte form.
void EncodeMacroAction(const TMACROKEY& action, MacroAction& out);
// Actions the device gets for a macro: its own, plus the loop action when it repeats and
// there is room for it in the slot.
int GetMacroDeviceLength(const TMACROKEYINFO& macro);
// The report rates the mouse offers, slowest first, and the code it takes for each: the one
// list the window, the command line and the upload use.
struct ReportRateCode {
  uint16_t hz;
  uint8_t code;
};
inline constexpr std::array<ReportRateCode, 4> kReportRates = {
    {{125, 8}, {250, 4}, {500, 2}, {1000, 1}}};
bool IsReportRate(uint32_t rate);
// "125, 250, 500 or 1000", for messages and help.
std::string ReportRateNames();
// The rate's code; any other rate gets 500 Hz's code and a warning.
uint8_t GetReportRateCode(uint32_t rate, UploadWarnings* warnings = nullptr);
// The report rate byte of the mouse's memory: the rate's code in both nibbles.
uint8_t GetReportRateByte(uint32_t rate, UploadWarnings* warnings = nullptr);
// The wheel LED byte of the mouse's memory: (flag x 128) + (value AND 0x7F), `on` the flag.
uint8_t WheelLEDByte(uint8_t value, bool on);

}  // namespace qor
