// SPDX-License-Identifier: GPL-2.0-or-later
// The HID service: present HID interfaces and report exchange with one of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/report_descriptor.h"

namespace qor {

// One HID interface (one top-level collection) as the operating system presents it.
struct HidInterfaceInfo {
  std::string path;  // device path; opaque to callers, unique per interface with `collection`
  uint32_t collection = 0;               // top-level collection of the node behind `path`, 0-based
  std::string name;                      // product name as the device gives it, or ""
  std::vector<std::string> hardwareIds;  // Windows form, most specific first
  uint16_t usagePage = 0;                // of the top-level collection
  uint16_t usage = 0;
  // Largest report of each kind in bytes, the report-ID byte included (0 when none).
  uint32_t inputReportByteLength = 0;
  uint32_t outputReportByteLength = 0;
  uint32_t featureReportByteLength = 0;
  std::vector<uint8_t> reportDescriptor;  // raw descriptor, for parsing input reports
  // `reportDescriptor` parsed when the interface was listed, shared by the collections of
  // one node; null from a backend that leaves it to be parsed when it is needed.
  std::shared_ptr<const HidReportDescriptor> parsedDescriptor;
  // Stays the same exactly while the same device stays plugged in behind `path` (a hidraw
  // node's device number and sysfs path, a virtual mouse's socket inode); "" when unknown,
  // and then no handle of the interface outlives one operation.
  std::string identity;
};

// The interface's report descriptor parsed: as its listing kept it, else parsed now.
inline std::shared_ptr<const HidReportDescriptor> ParsedDescriptor(const HidInterfaceInfo& info) {
  if (info.parsedDescriptor) return info.parsedDescriptor;
  return std::make_shared<const HidReportDescriptor>(
      ParseReportDescriptor(info.reportDescriptor.data(), info.reportDescriptor.size()));
}

// An open interface. Every call returns 0 or a positive errno value.
class HidDevice {
 public:
  virtual ~HidDevice() = default;
  // Sends a feature report; data[0] is the report ID, `size` counts it.
  virtual int setFeature(const uint8_t* data, std::size_t size) = 0;
  // Reads the feature report whose ID is data[0] into data (`size` bytes, ID included).
  virtual int getFeature(uint8_t* data, std::size_t size) = 0;
  // Writes an output report; data[0] is the report ID, `size` counts it.
  virtual int write(const uint8_t* data, std::size_t size) = 0;
  // Waits at most `timeoutMs` for one input report. Stores its length (ID byte included when
  // the device uses report IDs) in `got`: 0 on time-out. ENODEV when the device went away.
  virtual int read(uint8_t* data, std::size_t size, int timeoutMs, std::size_t& got) = 0;
};

// Enumerates interfaces afresh on every call and opens them.
class HidBackend {
 public:
  virtual ~HidBackend() = default;
  // Every present interface, in a stable order.
  virtual std::vector<HidInterfaceInfo> enumerate() = 0;
  // Opens one interface from the last enumeration; null with `error` set on failure.
  virtual std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, int& error) = 0;
};

}  // namespace qor
