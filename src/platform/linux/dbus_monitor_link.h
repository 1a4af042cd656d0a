// SPDX-License-Identifier: GPL-2.0-or-later
// MonitorLink over the D-Bus session bus (sd-bus).
#pragma once

#include <chrono>
#include <filesystem>

#include "platform/monitor_link.h"

namespace qor {

class DbusMonitorLink final : public MonitorLink {
 public:
  // `program`: the monitor's executable, started by Start(); `timeout` bounds every call.
  explicit DbusMonitorLink(std::filesystem::path program,
                           std::chrono::milliseconds timeout = std::chrono::milliseconds(500));
  void Start() override;
  void Notify(uint32_t wparam, uint32_t lparam) override;
  // Whether the monitor's name has an owner on the session bus now.
  bool MonitorRunning() const;

 private:
  std::filesystem::path program_;
  std::chrono::milliseconds timeout_;
};

// The monitor beside the running program: corvnmon in the executable's folder.
std::filesystem::path MonitorProgramBesideExecutable();

}  // namespace qor
