// SPDX-License-Identifier: GPL-2.0-or-later
// HID interfaces of running qorcfg51-sim processes, reached through their sockets.
#pragma once

#include <filesystem>
#include <memory>

#include "device/hid_backend.h"

namespace qor {

// The simulators' interfaces in SimulatorDirectory() ($QORCFG51_SIM_DIR, else
// $XDG_RUNTIME_DIR/qorcfg51/sim), sorted by socket name. A socket that refuses connections
// belongs to a simulator that died and is removed.
std::unique_ptr<HidBackend> MakeSimulatorHidBackend();
// The same for the sockets in `directory`.
std::unique_ptr<HidBackend> MakeSimulatorHidBackend(const std::filesystem::path& directory);

}  // namespace qor
