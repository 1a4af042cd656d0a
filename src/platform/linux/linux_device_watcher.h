// SPDX-License-Identifier: GPL-2.0-or-later
// DeviceWatcher over udev (hidraw nodes) and inotify (the simulators' socket folder).
#pragma once

#include <filesystem>
#include <memory>

#include "device/device_watcher.h"

namespace qor {

// Watches hidraw nodes through a udev monitor and the sockets in `simulatorFolder` (created
// when missing). Either part that cannot be set up is left out; the other still works.
std::unique_ptr<DeviceWatcher> MakeLinuxDeviceWatcher(const std::filesystem::path& simulatorFolder);

}  // namespace qor
