// SPDX-License-Identifier: GPL-2.0-or-later
// The desktop's pointer settings: acceleration, speed, wheel scroll lines, double-click time.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

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

// What became of one value handed to the desktop: taken, skipped (the desktop has no place for
// it) or refused (it has one, but the value could not be stored there).
class PointerSetResult {
 public:
  // true: taken; false: skipped. Implicit, since most setters can only answer yes or no.
  PointerSetResult(bool taken) : taken_(taken) {}  // NOLINT(google-explicit-constructor)
  // `problem` names what failed and says what the user can do about it.
  static PointerSetResult Refused(std::string problem) {
    PointerSetResult r(false);
    r.problem_ = std::move(problem);
    return r;
  }
  explicit operator bool() const { return taken_; }
  bool refused() const { return !problem_.empty(); }
  // Why the value was refused; empty when it was taken or skipped.
  const std::string& problem() const { return problem_; }

 private:
  bool taken_;
  std::string problem_;
};

// Each setter says what became of its value. Implementations may be called from a worker
// thread.
class PointerSettings {
 public:
  virtual ~PointerSettings() = default;
  // Which desktop the settings go to, for messages ("GNOME", "X11", "none").
  virtual std::string desktop() const = 0;
  // `preset` is 0..3, `values` its row of kPointerAccelerationPresets.
  virtual PointerSetResult setAcceleration(int preset, const PointerAccelerationPreset& values) = 0;
  // Windows pointer speed 1..20.
  virtual PointerSetResult setSpeed(int speed) = 0;
  // Lines per wheel notch; 30 means one page.
  virtual PointerSetResult setWheelScrollLines(int lines) = 0;
  virtual PointerSetResult setDoubleClickTime(int milliseconds) = 0;

  // Whether the desktop holds this value already, so that handing it on again would change
  // nothing; false where the desktop cannot tell (the value is then handed on).
  virtual bool holdsAcceleration(int /*preset*/, const PointerAccelerationPreset&) { return false; }
  virtual bool holdsSpeed(int /*speed*/) { return false; }
  virtual bool holdsWheelScrollLines(int /*lines*/) { return false; }
};

}  // namespace qor
