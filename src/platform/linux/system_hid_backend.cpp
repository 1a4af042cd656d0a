// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/system_hid_backend.h"

#include <vector>

#include "device/composite_hid_backend.h"
#include "platform/linux/hidraw_backend.h"
#include "platform/linux/sim_hid_backend.h"

namespace qor {

std::unique_ptr<HidBackend> MakeSystemHidBackend() {
  std::vector<std::unique_ptr<HidBackend>> backends;
  backends.push_back(std::make_unique<HidrawBackend>());
  // Virtual mice follow the real devices.
  backends.push_back(MakeSimulatorHidBackend());
  return std::make_unique<CompositeHidBackend>(std::move(backends));
}

}  // namespace qor
