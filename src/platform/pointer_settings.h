// SPDX-License-Identifier: GPL-2.0-or-later
// The desktop's pointer settings: acceleration, speed, wheel scroll lines, double-click time.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace qor {

// One acceleration preset as Windows takes it: two movement thresholds and a level.
struct PointerAccelerationPreset {
  int32_t threshold1;
  int32_t threshold2;
  int32_t acceleration;  // 0 none, 1 doubled past threshold1, 2 also quadrupled past threshold2
};

// Indexed by a profile's PointerAcceleration (0 = none, 1 = enhanced precision).
inline constexpr std::array<PointerAccelerationPreset, 4> kPointerAccelerationPresets = {{
    {0, 0, 0},
    {7, 0, 1},
    {4, 6, 2},
    {4, 0, 1},
}};

// Each setter returns false when the desktop has no place for the setting (it is skipped).
// Implementations may be called from a worker thread.
class PointerSettings {
 public:
  virtual ~PointerSettings() = default;
  // Which desktop the settings go to, for messages ("GNOME", "X11", "none").
  virtual std::string desktop() const = 0;
  // `preset` is 0..3, `values` its row of kPointerAccelerationPresets.
  virtual bool setAcceleration(int preset, const PointerAccelerationPreset& values) = 0;
  // Windows pointer speed 1..20.
  virtual bool setSpeed(int speed) = 0;
  // Lines per wheel notch; 30 means one page.
  virtual bool setWheelScrollLines(int lines) = 0;
  virtual bool setDoubleClickTime(int milliseconds) = 0;

  // Whether the desktop holds this value already, so that handing it on again would change
  // nothing; false where the desktop cannot tell (the value is then handed on).
  virtual bool holdsAcceleration(int /*preset*/, const PointerAccelerationPreset&) { return false; }
  virtual bool holdsSpeed(int /*speed*/) { return false; }
  virtual bool holdsWheelScrollLines(int /*lines*/) { return false; }
};

}  // namespace qor
