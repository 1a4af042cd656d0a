// SPDX-License-Identifier: GPL-2.0-or-later
// A PointerSettings that records every call instead of touching a desktop.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/pointer_settings.h"

namespace qor::test {

class RecordingPointerSettings final : public PointerSettings {
 public:
  std::string desktop() const override { return "recording"; }
  bool setAcceleration(int preset, const PointerAccelerationPreset& v) override {
    return record("acceleration " + std::to_string(preset) + " " + std::to_string(v.threshold1) +
                  "," + std::to_string(v.threshold2) + "," + std::to_string(v.acceleration));
  }
  bool setSpeed(int speed) override { return record("speed " + std::to_string(speed)); }
  bool setWheelScrollLines(int lines) override { return record("wheel " + std::to_string(lines)); }
  bool setDoubleClickTime(int ms) override { return record("double-click " + std::to_string(ms)); }

  std::vector<std::string> calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }

 private:
  bool record(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
    return true;
  }
  std::mutex mutex_;
  std::vector<std::string> calls_;
};

}  // namespace qor::test
