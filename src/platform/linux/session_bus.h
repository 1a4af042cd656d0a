// SPDX-License-Identifier: GPL-2.0-or-later
// The user's session bus through sd-bus, closed (after flushing) with its owner.
#pragma once

#include <systemd/sd-bus.h>

#include <chrono>
#include <memory>

namespace qor {

struct SessionBusClose {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using SessionBus = std::unique_ptr<sd_bus, SessionBusClose>;

// The session bus with method calls timing out after `timeout`; null when there is none.
inline SessionBus OpenSessionBus(std::chrono::milliseconds timeout) {
  sd_bus* raw = nullptr;
  if (sd_bus_open_user(&raw) < 0) return nullptr;
  SessionBus bus(raw);
  sd_bus_set_method_call_timeout(bus.get(), static_cast<uint64_t>(timeout.count()) * 1000);
  return bus;
}

}  // namespace qor
