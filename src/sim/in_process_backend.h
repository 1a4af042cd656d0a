// SPDX-License-Identifier: GPL-2.0-or-later
// Simulated interfaces served in the same process: the firmware without sockets, for tests
// of the protocol layer.
#pragma once

#include <memory>
#include <vector>

#include "device/hid_backend.h"
#include "sim/firmware.h"
#include "sim/sim_interface.h"

namespace qor::sim {

class InProcessHidBackend : public HidBackend {
 public:
  // `count` interfaces, each with its own firmware holding `memory`.
  explicit InProcessHidBackend(SimInterfaceConfig config = {}, int count = 1,
                               DeviceMemory memory = FactoryMemory());

  Firmware& firmware(int i) { return *firmware_.at(i); }

  // Paths are "sim:1", "sim:2", ... in interface order.
  std::vector<HidInterfaceInfo> enumerate() override;
  std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, int& error) override;

 private:
  HidInterfaceInfo description_;
  std::vector<std::unique_ptr<Firmware>> firmware_;
};

}  // namespace qor::sim
