// SPDX-License-Identifier: GPL-2.0-or-later
// Command packets: one device command carried in one HID feature report.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <system_error>

namespace qor {

class TuiHIDData;

// A report carries its ID and seven header bytes, then the payload.
inline constexpr std::size_t kCommandHeaderSize = 8;
inline constexpr std::size_t kCommandPayloadSize = 2048;
// An answer carries its header too, so a query may ask for no more.
inline constexpr std::size_t kMaxQueryPayload = kCommandPayloadSize - kCommandHeaderSize;

// Command types (header byte 0).
inline constexpr uint8_t kCmdCommand1 = 1;    // p0, p1: the last step of an upload
inline constexpr uint8_t kCmdWriteBlock = 2;  // address, length, 0xFA x 2; payload: the block
inline constexpr uint8_t kCmdReadBlock = 3;   // address, length, 0xFA x 2; the answer: the block
inline constexpr uint8_t kCmdLEDPreview = 4;  // the first five LED block bytes
inline constexpr uint8_t kCmdCommand6 = 6;    // a, b: before and after an upload
inline constexpr uint8_t kBlockHeaderFill = 0xFA;

// The smallest and largest report IDs, one per size class.
inline constexpr uint8_t kFirstCommandReportID = 2;
inline constexpr uint8_t kLastCommandReportID = 6;

// A command's header as its report carries it after the ID, and the payload length it
// announces, set by the same call that wrote the header's bytes.
struct CommandHeader {
  std::array<uint8_t, kCommandHeaderSize - 1> bytes{};
  uint32_t payloadLength = 0;
};
// A command without data: its type, then up to six parameter bytes.
CommandHeader PlainCommand(uint8_t type, std::initializer_list<uint8_t> params);
// A block command: type, address (LE), length (LE), 0xFA x 2, with `length` bytes of payload.
CommandHeader BlockCommand(uint8_t type, uint16_t address, uint16_t length);

// The report ID (size class 2..6) for `total` header and payload bytes.
uint8_t GetReportIDBySize(uint32_t total);
// The report length of a report ID, the ID byte included; 16 for IDs outside 2..6.
uint32_t GetReportSizeByID(uint8_t reportID);

// Sends the command and its payload (`header.payloadLength` bytes of `payload`) in one
// feature report to every matching interface. Returns the exchange's error, if any;
// invalid_argument (nothing sent) when the payload cannot fit a report.
std::error_code SendDeviceCommand(TuiHIDData& device, const CommandHeader& header,
                                  const uint8_t* payload = nullptr);
// Sends the command in the smallest report, then reads the answer in the report of its size
// and copies its `header.payloadLength` payload bytes into `payload`. The answer must repeat
// the command's type, address and length. Returns no error, the first failing exchange's
// (protocol_error for an answer to another command; `payload` is left as it was), or
// invalid_argument (nothing sent) when the answer would not fit a report.
std::error_code QueryDeviceCommand(TuiHIDData& device, const CommandHeader& header,
                                   uint8_t* payload);

}  // namespace qor
