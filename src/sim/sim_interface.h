// SPDX-License-Identifier: GPL-2.0-or-later
// What a simulated HID interface declares to hosts: its hardware IDs, collection and reports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/hid_backend.h"
#include "device/usage_pair.h"

namespace qor::sim {

struct SimInterfaceConfig {
  std::vector<std::string> hardwareIds;  // empty: DefaultHardwareIds of the collection
  uint16_t usagePage = kMouseConfigUsage.UsagePage;
  uint16_t usage = kMouseConfigUsage.Usage;
  uint32_t featureLength = 4096;  // declared feature report length, report ID included
  // Declared instead of the one SimReportDescriptor makes (a damaged one, for tests).
  std::optional<std::vector<uint8_t>> reportDescriptor;
};

// The IDs Windows gives a one-interface USB mouse with the virtual mouse's vendor and product
// numbers, most specific first: HID\VID_v&PID_p&REV_0100, HID\VID_v&PID_p,
// HID_DEVICE_UP:pppp_U:uuuu, HID_DEVICE.
std::vector<std::string> DefaultHardwareIds(uint16_t usagePage, uint16_t usage);

// A report descriptor with one application collection of the given usage holding the
// command feature reports (IDs 2 to 6) no longer than `featureLength`, and nothing else.
std::vector<uint8_t> SimReportDescriptor(uint16_t usagePage, uint16_t usage,
                                         uint32_t featureLength);

// The interface as HidBackend lists it, without a path.
HidInterfaceInfo DescribeSimInterface(const SimInterfaceConfig& config);

}  // namespace qor::sim
