// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/command_packet.h"

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <memory>

#include "device/hid_data.h"

namespace qor {
namespace {

// A request to the device's configuration collection with the first `size` report bytes zeroed.
std::unique_ptr<THIDDataParam> newRequest(const TuiHIDData& device, uint32_t size) {
  auto request = std::make_unique<THIDDataParam>();
  request->UsageAndPage = device.GetUsageAndPage();
  request->Data.DATASIZE = size;
  return request;  // value-initialised: every report byte is already zero
}

// Places the encoded header at the start of the report.
void putHeader(THIDDataParam& request, uint8_t reportID,
               const uint8_t (&header)[kCommandHeaderSize]) {
  const auto encoded = EncodeCommandHeader(reportID, header);
  request.Data.ReportID = encoded[0];
  std::memcpy(request.Data.DATAReally, encoded.data() + 1, encoded.size() - 1);
}

}  // namespace

uint32_t CommandPayloadLength(const uint8_t (&header)[kCommandHeaderSize]) {
  switch (header[0] & 0x7F) {
    case 0:
      return header[2];
    case kCmdWriteBlock:
    case kCmdReadBlock:
      return uint32_t(header[3]) | uint32_t(header[4]) << 8;
    default:
      return 0;
  }
}

uint8_t GetReportIDBySize(uint32_t total) {
  if (total <= 16) return 2;
  if (total <= 64) return 3;
  if (total <= 1024) return 4;
  if (total <= 2048) return 5;
  if (total <= 4096) return 6;
  return 2;
}

uint32_t GetReportSizeByID(uint8_t reportID) {
  switch (reportID) {
    case 3:
      return 64;
    case 4:
      return 1024;
    case 5:
      return 2048;
    case 6:
      return 4096;
    default:
      return 16;
  }
}

std::array<uint8_t, kCommandHeaderSize> EncodeCommandHeader(
    uint8_t reportID, const uint8_t (&header)[kCommandHeaderSize]) {
  std::array<uint8_t, kCommandHeaderSize> report{};
  report[0] = reportID;
  std::memcpy(report.data() + 1, header, kCommandHeaderSize - 1);
  return report;
}

void DecodeCommandHeader(const uint8_t* report, uint8_t (&header)[kCommandHeaderSize]) {
  // memmove: the answer is decoded in place, over the report it came in.
  std::memmove(header, report + 1, kCommandHeaderSize - 1);
  header[kCommandHeaderSize - 1] = 0;
}

uint32_t SendDeviceCommand(TuiHIDData& device, const TCOMMANDPACKET& packet) {
  const uint32_t length = CommandPayloadLength(packet.Header);
  if (length > kCommandPayloadSize) return EINVAL;
  const uint8_t id = GetReportIDBySize(length + kCommandHeaderSize);
  const uint32_t size = GetReportSizeByID(id);
  auto request = newRequest(device, size);
  putHeader(*request, id, packet.Header);
  // From report byte 8 on; the size class always leaves room for the whole payload.
  std::memcpy(request->Data.DATAReally + kCommandHeaderSize - 1, packet.Payload, length);
  return device.HidFindAndSetFeatureReport(*request);
}

// Command type, address and length: what an answer must repeat of its read command.
constexpr std::size_t kEchoedHeaderBytes = 5;

uint32_t QueryDeviceCommand(TuiHIDData& device, TCOMMANDPACKET& packet) {
  const uint32_t length = CommandPayloadLength(packet.Header);
  if (length > kMaxQueryPayload) return EINVAL;

  const uint8_t requestID = GetReportIDBySize(kCommandHeaderSize);
  auto request = newRequest(device, GetReportSizeByID(requestID));
  putHeader(*request, requestID, packet.Header);
  if (uint32_t r = device.HidFindAndSetFeatureReport(*request)) return r;

  const uint8_t answerID = GetReportIDBySize(length + kCommandHeaderSize);
  const uint32_t answerSize = GetReportSizeByID(answerID);
  auto answer = newRequest(device, answerSize);
  putHeader(*answer, answerID, packet.Header);
  if (uint32_t r = device.HidFindAndGetFeatureReport(*answer)) return r;
  // The answer echoes the command it answers: another program's read of another block,
  // answered between our two reports, must not pass for ours.
  if (!std::equal(packet.Header, packet.Header + kEchoedHeaderBytes, answer->Data.DATAReally))
    return EPROTO;

  uint8_t* bytes = reinterpret_cast<uint8_t*>(&packet);
  bytes[0] = answer->Data.ReportID;
  std::memcpy(bytes + 1, answer->Data.DATAReally, answerSize - 1);
  DecodeCommandHeader(bytes, packet.Header);
  return 0;
}

}  // namespace qor
