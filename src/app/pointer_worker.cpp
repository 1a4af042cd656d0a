// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/pointer_worker.h"

#include <cstring>

namespace qor {

PointerSettingsBuffer BuildPointerSettingsBuffer(const TMOUSEPROFILEINFO& profile) {
  const TMOUSECONFIGINFO& c = profile.ConfigInfo;
  const uint32_t values[3] = {c.PointerSpeed, c.VWheelSpeed, c.PointerAcceleration};
  PointerSettingsBuffer buffer;
  std::memcpy(buffer.data(), values, sizeof values);
  return buffer;
}

void RunPointerWorker(PointerSettings& settings, const uint8_t* Buffer, uint32_t BufferSize) {
  if (BufferSize < sizeof(PointerSettingsBuffer)) return;
  uint32_t values[3];
  std::memcpy(values, Buffer, sizeof values);
  const uint32_t speed = values[0], lines = values[1], acceleration = values[2];
  if (acceleration > 3) return;
  settings.setAcceleration(static_cast<int>(acceleration),
                           kPointerAccelerationPresets[acceleration]);
  settings.setSpeed(static_cast<int>(speed));
  settings.setWheelScrollLines(static_cast<int>(lines));
}

}  // namespace qor
