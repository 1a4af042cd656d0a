// SPDX-License-Identifier: GPL-2.0-or-later
// The companion monitor: started when absent, told when the mouse or the profile changed.
#pragma once

#include <cstdint>

namespace qor {

// The monitor owns this session-bus name and offers Notify(u wparam, u lparam) on the object
// below; (0, 0) after an Apply, (1, profile index) after a profile switch or import, (2, 0)
// after an application was bound or unbound.
inline constexpr const char* kMonitorBusName = "io.github.qorcfg51.TQor51MonMain";
inline constexpr const char* kMonitorObjectPath = "/io/github/qorcfg51/TQor51MonMain";
inline constexpr const char* kMonitorInterface = "io.github.qorcfg51.TQor51MonMain";
inline constexpr uint32_t kMonitorMessage = 7035;  // the notification's number, for logs

class MonitorLink {
 public:
  virtual ~MonitorLink() = default;
  // Starts the monitor program when nothing owns its bus name; nothing is reported.
  virtual void Start() = 0;
  // Tells the running monitor; without a bus or a monitor the notification is dropped.
  virtual void Notify(uint32_t wparam, uint32_t lparam) = 0;
};

// Tells nobody: for callers that tell the user themselves.
class NoMonitorLink final : public MonitorLink {
 public:
  void Start() override {}
  void Notify(uint32_t, uint32_t) override {}
};

}  // namespace qor
