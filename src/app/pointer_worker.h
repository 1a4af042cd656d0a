// SPDX-License-Identifier: GPL-2.0-or-later
// The pointer part of Apply: the profile's pointer values handed to the desktop.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "model/profile_records.h"
#include "platform/pointer_settings.h"

namespace qor {

// PointerSpeed, VWheelSpeed, PointerAcceleration, each widened to 32 bits.
using PointerSettingsBuffer = std::array<uint8_t, 12>;
PointerSettingsBuffer BuildPointerSettingsBuffer(const TMOUSEPROFILEINFO& profile);

// The buffer's values; nothing for a short buffer or an acceleration outside 0..3.
struct PointerValues {
  int speed;
  int wheelLines;
  int acceleration;  // a preset of kPointerAccelerationPresets
};
std::optional<PointerValues> ReadPointerSettingsBuffer(const uint8_t* Buffer, uint32_t BufferSize);

// Sets the acceleration preset, the speed and the wheel lines from the buffer; with an
// acceleration outside 0..3 (or a short buffer) nothing is changed.
void RunPointerWorker(PointerSettings& settings, const uint8_t* Buffer, uint32_t BufferSize);

}  // namespace qor
