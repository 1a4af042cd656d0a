// SPDX-License-Identifier: GPL-2.0-or-later
// The messages of the kernel's uhid interface (/dev/uhid, <linux/uhid.h>) the virtual mouse
// sends and answers. Each write and each read is one struct uhid_event; a message sent is as
// long as its content (the kernel fills the rest with zeros).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qor::sim {

struct UhidDeviceIdentity {
  std::string name;  // the HID device's name (HID_NAME), cut to 127 bytes
  std::string phys;  // cut to 63 bytes
  std::string uniq;  // cut to 63 bytes
  uint16_t bus = 0;  // BUS_USB, ...
  uint32_t vendor = 0;
  uint32_t product = 0;
  uint32_t version = 0;
};

// UHID_CREATE2 with the report descriptor; empty when the descriptor is longer than the
// kernel takes (HID_MAX_DESCRIPTOR_SIZE).
std::vector<uint8_t> EncodeUhidCreate(const UhidDeviceIdentity& identity,
                                      std::span<const uint8_t> descriptor);
std::vector<uint8_t> EncodeUhidDestroy();
// The answer to UHID_GET_REPORT `id`: `data` (report ID first) or, with err != 0, a failure
// the host sees as EIO. `data` is cut to UHID_DATA_MAX bytes.
std::vector<uint8_t> EncodeUhidGetReportReply(uint32_t id, uint16_t err,
                                              std::span<const uint8_t> data);
std::vector<uint8_t> EncodeUhidSetReportReply(uint32_t id, uint16_t err);

// An event from the kernel. `data` points into the decoded bytes: the report of
// UHID_SET_REPORT and UHID_OUTPUT, report ID first; empty for the others.
struct UhidEvent {
  uint32_t type = 0;         // UHID_START, UHID_GET_REPORT, ...
  uint32_t id = 0;           // of a UHID_GET_REPORT or UHID_SET_REPORT, for its reply
  uint8_t reportNumber = 0;  // of a UHID_GET_REPORT or UHID_SET_REPORT
  uint8_t reportType = 0;    // UHID_FEATURE_REPORT, UHID_OUTPUT_REPORT, UHID_INPUT_REPORT
  std::span<const uint8_t> data;
};
// Null when the bytes are too short for their type or declare more data than they hold.
std::optional<UhidEvent> DecodeUhidEvent(std::span<const uint8_t> bytes);

}  // namespace qor::sim
