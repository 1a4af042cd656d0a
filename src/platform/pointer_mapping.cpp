// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/pointer_mapping.h"

#include <algorithm>

namespace qor {

double GnomeSpeedFromWindows(int speed) {
  speed = std::clamp(speed, 1, 20);
  return speed <= 10 ? (speed - 10) / 9.0 : (speed - 10) / 10.0;
}

std::string GnomeAccelProfile(int preset) {
  return preset == 0 ? "flat" : "adaptive";
}

X11PointerControl X11ControlFromPreset(const PointerAccelerationPreset& preset) {
  const int level = std::clamp(preset.acceleration, 0, 2);
  return {1 << level, 1, std::max(preset.threshold1, 0)};
}

}  // namespace qor
