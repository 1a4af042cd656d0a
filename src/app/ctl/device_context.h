// SPDX-License-Identifier: GPL-2.0-or-later
// The mouse as the command line reaches it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "device/hid_backend.h"
#include "device/hid_data.h"

namespace qor::ctl {

// Every HID interface of this machine (hidraw nodes and running simulators), and the
// include list of the config.ini files (program folder, machine, user).
struct DeviceContext {
  std::unique_ptr<HidBackend> backend;
  std::vector<std::string> includeList;
  std::unique_ptr<TuiHIDData> device;
};
DeviceContext OpenDeviceContext();

// The user's config.ini: where a mouse is added without root.
std::string ConfigFilePath();
// What keeps the mouse from the user (access, the include list) with the fix; empty when
// nothing does.
std::string MouseAccessAdvice(DeviceContext& context);

}  // namespace qor::ctl
