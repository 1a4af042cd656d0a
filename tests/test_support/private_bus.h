// SPDX-License-Identifier: GPL-2.0-or-later
// A private D-Bus session bus for one test, and stand-ins for the monitor and the window that
// record the calls they answer.
#pragma once

#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdint>
#include <functional>
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

// Whether a process owns `name` on the session bus (asked over a connection of its own, so
// that a later private bus is asked too).
bool NameHasOwner(const char* name);

// Serves one object under a bus name on a thread of its own until destroyed.
class BusObjectThread {
 public:
  // `vtable` and `userdata` as sd_bus_add_object_vtable takes them.
  BusObjectThread(const char* name, const char* path, const char* interface,
                  const sd_bus_vtable* vtable, void* userdata);
  ~BusObjectThread();
  // Whether the name was ours.
  bool ok() const { return ready_; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> ready_{false};
  std::atomic<bool> started_{false};
  std::thread thread_;
};

// Owns the window's bus name and counts the Activate calls it answers.
class RecordingWindow {
 public:
  RecordingWindow();
  bool ok() const { return served_.ok(); }
  int activations() const { return activations_; }

 private:
  std::atomic<int> activations_{0};
  BusObjectThread served_;
};

// Owns the monitor's bus name and records every Notify(wparam, lparam) it answers.
class RecordingMonitor {
 public:
  RecordingMonitor();
  bool ok() const { return served_.ok(); }
  std::vector<std::pair<uint32_t, uint32_t>> calls();

 private:
  std::mutex mutex_;
  std::vector<std::pair<uint32_t, uint32_t>> calls_;
  std::function<void(uint32_t, uint32_t)> record_;
  BusObjectThread served_;
};

}  // namespace qor::test
