// SPDX-License-Identifier: GPL-2.0-or-later
// The pointer part of Apply: the profile's pointer values handed to the desktop.
#pragma once

#include "model/profile_records.h"
#include "platform/pointer_settings.h"

namespace qor {

// The pointer values of a profile, as Apply hands them to the desktop and the monitor hands
// them on again.
struct PointerValues {
  int speed;         // Windows pointer speed 1..20
  int wheelLines;    // lines per wheel notch; 30 means one page
  int acceleration;  // a preset of kPointerAccelerationPresets
};
PointerValues PointerValuesOf(const TMOUSEPROFILEINFO& profile);
// Whether the acceleration is one of the presets; a damaged record's or setting's may not be.
bool HasAccelerationPreset(const PointerValues& values);

// Sets the acceleration preset, the speed and the wheel lines; with an acceleration outside
// 0..3 nothing is changed.
void RunPointerWorker(PointerSettings& settings, const PointerValues& values);

}  // namespace qor
