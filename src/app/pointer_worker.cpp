// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/pointer_worker.h"

namespace qor {

PointerValues PointerValuesOf(const TMOUSEPROFILEINFO& profile) {
  const TMOUSECONFIGINFO& c = profile.ConfigInfo;
  return {c.PointerSpeed, c.VWheelSpeed, c.PointerAcceleration};
}

bool HasAccelerationPreset(const PointerValues& values) {
  return values.acceleration >= 0 &&
         std::size_t(values.acceleration) < kPointerAccelerationPresets.size();
}

void RunPointerWorker(PointerSettings& settings, const PointerValues& values) {
  if (!HasAccelerationPreset(values)) return;
  settings.setAcceleration(values.acceleration, kPointerAccelerationPresets[values.acceleration]);
  settings.setSpeed(values.speed);
  settings.setWheelScrollLines(values.wheelLines);
}

}  // namespace qor
