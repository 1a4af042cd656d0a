// SPDX-License-Identifier: GPL-2.0-or-later
// Command packets: one device command carried in one HID feature report.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qor {

class TuiHIDData;

inline constexpr std::size_t kCommandHeaderSize = 8;
inline constexpr std::size_t kCommandPayloadSize = 2048;
// A query copies its whole answer report over the packet, so it may ask for no more.
inline constexpr std::size_t kMaxQueryPayload = kCommandPayloadSize - kCommandHeaderSize;

// Command types (header byte 0).
inline constexpr uint8_t kCmdCommand1 = 1;    // p0, p1: the last step of an upload
inline constexpr uint8_t kCmdWriteBlock = 2;  // address, length, 0xFA x 3; payload: the block
inline constexpr uint8_t kCmdReadBlock = 3;   // address, length, 0xFA x 3; the answer: the block
inline constexpr uint8_t kCmdLEDPreview = 4;  // the first five LED block bytes, 0
inline constexpr uint8_t kCmdCommand6 = 6;    // a, b: before and after an upload
inline constexpr uint8_t kBlockHeaderFill = 0xFA;

// The smallest and largest report IDs, one per size class.
inline constexpr uint8_t kFirstCommandReportID = 2;
inline constexpr uint8_t kLastCommandReportID = 6;

// One device command as the protocol layer builds it.
struct TCOMMANDPACKET {
  // Byte 0 CmdType (bits 0-6 choose the payload length rule); bytes 1-7 its parameters.
  // Block commands: bytes 1-2 address (LE), 3-4 payload length (LE), 5-7 0xFA.
  uint8_t Header[kCommandHeaderSize];
  uint8_t Payload[kCommandPayloadSize];
};
static_assert(sizeof(TCOMMANDPACKET) == 2056);

// The payload length the header announces: type 0 header byte 2, types 2 and 3 bytes 3-4,
// every other type 0.
uint32_t CommandPayloadLength(const uint8_t (&header)[kCommandHeaderSize]);

// The report ID (size class 2..6) for `total` header and payload bytes.
uint8_t GetReportIDBySize(uint32_t total);
// The report length of a report ID, the ID byte included; 16 for IDs outside 2..6.
uint32_t GetReportSizeByID(uint8_t reportID);

// The first 8 report bytes: the report ID, then header bytes 0-6 (byte 7 is never sent).
std::array<uint8_t, kCommandHeaderSize> EncodeCommandHeader(
    uint8_t reportID, const uint8_t (&header)[kCommandHeaderSize]);
// The header from the first 8 bytes of an answer: header byte i = report byte i + 1, byte 7 = 0.
void DecodeCommandHeader(const uint8_t* report, uint8_t (&header)[kCommandHeaderSize]);

// Sends the command in one feature report to every matching interface. Returns 0 or the
// exchange's errno value; EINVAL (nothing sent) when the payload cannot fit the packet.
uint32_t SendDeviceCommand(TuiHIDData& device, const TCOMMANDPACKET& packet);
// Sends the command's header, then reads the answer report over the packet (the payload then
// holds the answer). Returns 0, the first failing exchange's result (the packet is left as it
// was), or EINVAL (nothing sent) when the answer would not fit the packet.
uint32_t QueryDeviceCommand(TuiHIDData& device, TCOMMANDPACKET& packet);

}  // namespace qor
