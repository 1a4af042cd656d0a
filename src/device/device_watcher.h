// SPDX-License-Identifier: GPL-2.0-or-later
// Tells the event loop that HID devices came or went.
#pragma once

#include <vector>

namespace qor {

enum class DeviceChange { Arrival, Removal };

class DeviceWatcher {
 public:
  virtual ~DeviceWatcher() = default;
  // Readable while changes wait to be read; the event loop watches it (-1 when none).
  virtual int fd() const = 0;
  // The changes since the last call, in order; never blocks.
  virtual std::vector<DeviceChange> readChanges() = 0;
};

}  // namespace qor
