// SPDX-License-Identifier: GPL-2.0-or-later
// The rules of the CPI levels a user edits (levels 0 to 3 of a profile).
#pragma once

#include <cstdint>

#include "model/profile_records.h"

namespace qor {

inline constexpr int kEditableCPILevels = 4;
inline constexpr uint16_t kMinCPI = 250, kMaxCPI = 3500, kCPITrackStep = 250;

// Switches level `level` (0..3) on or off. Switching off the only level that is on is refused
// (false, the level stays on). Afterwards CurrentCPIIndex is the first level that is on and
// CPILevel is 4.
bool SwitchCPILevel(TMOUSEPROFILEINFO& profile, int level, bool on);

}  // namespace qor
