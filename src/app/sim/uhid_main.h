// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-sim --uhid: the virtual mouse as kernel HID devices.
#pragma once

#include "sim/served_firmware.h"

namespace qor::sim {

// Creates the devices through /dev/uhid and serves them until `stopFd` becomes readable or
// an unplug is due; the program's exit status.
int RunUhidMouse(const SimOptions& options, int stopFd);

}  // namespace qor::sim
