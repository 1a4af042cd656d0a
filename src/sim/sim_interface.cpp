// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/sim_interface.h"

#include <cstdio>

#include "protocol/command_packet.h"

namespace qor::sim {
namespace {

std::string hex4(uint16_t v) {
  char text[5];
  std::snprintf(text, sizeof text, "%04X", unsigned(v));
  return text;
}

}  // namespace

std::vector<std::string> DefaultHardwareIds(uint16_t usagePage, uint16_t usage) {
  const std::string device = std::string("HID\\VID_") + QOR_SIM_VID + "&PID_" + QOR_SIM_PID;
  return {device + "&REV_0100", device, "HID_DEVICE_UP:" + hex4(usagePage) + "_U:" + hex4(usage),
          "HID_DEVICE"};
}

std::vector<uint8_t> SimReportDescriptor(uint16_t usagePage, uint16_t usage,
                                         uint32_t featureLength) {
  std::vector<uint8_t> d = {0x06, uint8_t(usagePage), uint8_t(usagePage >> 8)};  // Usage Page
  if (usage <= 0xFF)
    d.insert(d.end(), {0x09, uint8_t(usage)});  // Usage
  else
    d.insert(d.end(), {0x0A, uint8_t(usage), uint8_t(usage >> 8)});
  d.insert(d.end(), {0xA1, 0x01,        // Collection (Application)
                     0x15, 0x00,        // Logical Minimum 0
                     0x26, 0xFF, 0x00,  // Logical Maximum 255
                     0x75, 0x08});      // Report Size 8
  for (uint8_t id = kFirstCommandReportID; id <= kLastCommandReportID; ++id) {
    const uint32_t length = GetReportSizeByID(id);
    if (length > featureLength) break;
    const uint32_t count = length - 1;                             // the bytes after the report ID
    d.insert(d.end(), {0x85, id,                                   // Report ID
                       0x09, id,                                   // Usage (vendor)
                       0x96, uint8_t(count), uint8_t(count >> 8),  // Report Count
                       0xB1, 0x02});                               // Feature (Data,Var,Abs)
  }
  d.push_back(0xC0);  // End Collection
  return d;
}

HidInterfaceInfo DescribeSimInterface(const SimInterfaceConfig& config) {
  HidInterfaceInfo info;
  info.hardwareIds = config.hardwareIds.empty() ? DefaultHardwareIds(config.usagePage, config.usage)
                                                : config.hardwareIds;
  info.usagePage = config.usagePage;
  info.usage = config.usage;
  info.featureReportByteLength = config.featureLength;
  info.reportDescriptor =
      config.reportDescriptor
          ? *config.reportDescriptor
          : SimReportDescriptor(config.usagePage, config.usage, config.featureLength);
  return info;
}

}  // namespace qor::sim
