// SPDX-License-Identifier: GPL-2.0-or-later
// A stand-in for KWin's input devices on the session bus: a mouse, a touchpad and a keyboard,
// recording every property set on them.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qor::test {

class KWinStandIn {
 public:
  struct Device {
    std::string sysName;
    bool pointer, touchpad;
  };
  KWinStandIn();
  ~KWinStandIn();
  bool ok() const { return ready_; }
  // "event3 pointerAcceleration 0.500" per property set, in order.
  std::vector<std::string> sets();

  // Called by the bus callbacks.
  void record(std::string line);
  const std::vector<Device>& devices() const { return devices_; }

 private:
  void serve();
  std::vector<Device> devices_ = {
      {"event3", true, false}, {"event4", true, true}, {"event7", false, false}};
  std::mutex mutex_;
  std::vector<std::string> sets_;
  std::atomic<bool> stop_{false}, ready_{false}, started_{false};
  std::thread thread_;
};

}  // namespace qor::test
