// SPDX-License-Identifier: GPL-2.0-or-later
// A PointerSettings that records every call instead of touching a desktop.
#pragma once

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/pointer_settings.h"

namespace qor::test {

class RecordingPointerSettings final : public PointerSettings {
 public:
  std::string desktop() const override { return "recording"; }
  PointerSetResult setAcceleration(int preset, const PointerAccelerationPreset& v) override {
    return record("acceleration " + std::to_string(preset) + " " + std::to_string(v.threshold1) +
                  "," + std::to_string(v.threshold2) + "," + std::to_string(v.acceleration));
  }
  PointerSetResult setSpeed(int speed) override { return record("speed " + std::to_string(speed)); }
  PointerSetResult setWheelScrollLines(int lines) override {
    return record("wheel " + std::to_string(lines));
  }
  PointerSetResult setDoubleClickTime(int ms) override {
    return record("double-click " + std::to_string(ms));
  }

  // The values the desktop holds already, as "speed 15" or "acceleration 2": asked before a
  // restore, never changed by the calls.
  std::vector<std::string> held;
  bool holdsAcceleration(int preset, const PointerAccelerationPreset&) override {
    return holds("acceleration " + std::to_string(preset));
  }
  bool holdsSpeed(int speed) override { return holds("speed " + std::to_string(speed)); }
  bool holdsWheelScrollLines(int lines) override { return holds("wheel " + std::to_string(lines)); }

  std::vector<std::string> calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }

 private:
  bool holds(const std::string& value) {
    return std::find(held.begin(), held.end(), value) != held.end();
  }
  bool record(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
    return true;
  }
  std::mutex mutex_;
  std::vector<std::string> calls_;
};

}  // namespace qor::test
