// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/hardware_ids.h"

namespace qor {
namespace {

std::string hex(uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    out[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
  return out;
}

}  // namespace

std::vector<std::string> HardwareIds(const HardwareIdParts& parts) {
  const std::string device = "HID\\VID_" + hex(parts.vendor, 4) + "&PID_" + hex(parts.product, 4);
  std::string suffix;
  if (parts.interfaceNumber) suffix += "&MI_" + hex(*parts.interfaceNumber, 2);
  if (parts.collection) suffix += "&COL" + hex(*parts.collection, 2);
  std::vector<std::string> ids;
  if (parts.revision) ids.push_back(device + "&REV_" + hex(*parts.revision, 4) + suffix);
  ids.push_back(device + suffix);
  ids.push_back("HID_DEVICE_UP:" + hex(parts.usagePage, 4) + "_U:" + hex(parts.usage, 4));
  ids.push_back("HID_DEVICE");
  return ids;
}

}  // namespace qor
