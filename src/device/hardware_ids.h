// SPDX-License-Identifier: GPL-2.0-or-later
// Hardware IDs of a HID interface in the form Windows gives them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qor {

// What the IDs are made of; a device without USB parents (Bluetooth, uhid) has no revision and
// no interface number.
struct HardwareIdParts {
  uint16_t vendor = 0;
  uint16_t product = 0;
  std::optional<uint16_t> revision;        // the USB device's bcdDevice
  std::optional<uint8_t> interfaceNumber;  // only on USB devices with several interfaces
  std::optional<uint8_t> collection;       // 1-based; only on nodes with several collections
  uint16_t usagePage = 0;
  uint16_t usage = 0;
};

// Most specific first: HID\VID_vvvv&PID_pppp&REV_rrrr[&MI_ii][&COLcc] (with a revision),
// HID\VID_vvvv&PID_pppp[&MI_ii][&COLcc], HID_DEVICE_UP:uuuu_U:uuuu, HID_DEVICE; upper-case hex.
std::vector<std::string> HardwareIds(const HardwareIdParts& parts);

}  // namespace qor
