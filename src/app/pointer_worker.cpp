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

std::optional<PointerValues> ReadPointerSettingsBuffer(const uint8_t* Buffer, uint32_t BufferSize) {
  if (BufferSize < sizeof(PointerSettingsBuffer)) return std::nullopt;
  uint32_t values[3];
  std::memcpy(values, Buffer, sizeof values);
  if (values[2] >= kPointerAccelerationPresets.size()) return std::nullopt;
  return PointerValues{static_cast<int>(values[0]), static_cast<int>(values[1]),
                       static_cast<int>(values[2])};
}

void RunPointerWorker(PointerSettings& settings, const uint8_t* Buffer, uint32_t BufferSize) {
  const auto v = ReadPointerSettingsBuffer(Buffer, BufferSize);
  if (!v) return;
  settings.setAcceleration(v->acceleration, kPointerAccelerationPresets[v->acceleration]);
  settings.setSpeed(v->speed);
  settings.setWheelScrollLines(v->wheelLines);
}

}  // namespace qor
