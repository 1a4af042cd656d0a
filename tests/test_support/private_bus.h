// SPDX-License-Identifier: GPL-2.0-or-later
// A private D-Bus session bus for one test, and a stand-in monitor that records Notify calls.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace qor::test {

// Starts `dbus-daemon --session` and points DBUS_SESSION_BUS_ADDRESS at it while alive.
class PrivateSessionBus {
 public:
  PrivateSessionBus();
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;
  bool ok() const { return pid_ > 0; }

 private:
  int pid_ = -1;
  std::string oldAddress_;
  bool hadAddress_ = false;
};

// Owns the monitor's bus name and records every Notify(wparam, lparam) it answers.
class RecordingMonitor {
 public:
  RecordingMonitor();
  ~RecordingMonitor();
  bool ok() const { return ready_; }
  std::vector<std::pair<uint32_t, uint32_t>> calls();

 private:
  void serve();
  std::mutex mutex_;
  std::vector<std::pair<uint32_t, uint32_t>> calls_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> ready_{false};
  std::atomic<bool> started_{false};
  std::thread thread_;
};

}  // namespace qor::test
