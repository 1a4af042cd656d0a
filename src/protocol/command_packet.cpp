// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/command_packet.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "device/hid_data.h"

namespace qor {
namespace {

// A request to the device's configuration collection in the report of ID `reportID`, every
// byte zero.
std::unique_ptr<THIDDataParam> newRequest(const TuiHIDData& device, uint8_t reportID) {
  auto request = std::make_unique<THIDDataParam>();  // value-initialised: every byte zero
  request->UsageAndPage = device.GetUsageAndPage();
  request->Data.ReportID = reportID;
  request->Data.DATASIZE = GetReportSizeByID(reportID);
  return request;
}

// The request carrying `header` in the report of its size.
std::unique_ptr<THIDDataParam> commandRequest(const TuiHIDData& device, const CommandHeader& header,
                                              uint32_t payload) {
  auto request = newRequest(device, GetReportIDBySize(payload + kCommandHeaderSize));
  std::copy(header.bytes.begin(), header.bytes.end(), request->Data.DATAReally);
  return request;
}

// Command type, address and length: what an answer must repeat of its read command.
constexpr std::size_t kEchoedHeaderBytes = 5;

}  // namespace

CommandHeader PlainCommand(uint8_t type, std::initializer_list<uint8_t> params) {
  CommandHeader header;
  header.bytes[0] = type;
  std::copy_n(params.begin(), std::min(params.size(), header.bytes.size() - 1),
              header.bytes.begin() + 1);
  return header;
}

CommandHeader BlockCommand(uint8_t type, uint16_t address, uint16_t length) {
  return {{type, uint8_t(address), uint8_t(address >> 8), uint8_t(length), uint8_t(length >> 8),
           kBlockHeaderFill, kBlockHeaderFill},
          length};
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

std::error_code SendDeviceCommand(TuiHIDData& device, const CommandHeader& header,
                                  const uint8_t* payload) {
  const uint32_t length = header.payloadLength;
  if (length > kCommandPayloadSize) return std::make_error_code(std::errc::invalid_argument);
  auto request = commandRequest(device, header, length);
  // From report byte 8 on; the size class always leaves room for the whole payload.
  if (length > 0) std::memcpy(request->Data.DATAReally + kCommandHeaderSize - 1, payload, length);
  return device.HidFindAndSetFeatureReport(*request);
}

std::error_code QueryDeviceCommand(TuiHIDData& device, const CommandHeader& header,
                                   uint8_t* payload) {
  const uint32_t length = header.payloadLength;
  if (length > kMaxQueryPayload) return std::make_error_code(std::errc::invalid_argument);
  if (std::error_code r = device.HidFindAndSetFeatureReport(*commandRequest(device, header, 0)))
    return r;

  // The answer is asked for by its report ID alone.
  auto answer = newRequest(device, GetReportIDBySize(length + kCommandHeaderSize));
  if (std::error_code r = device.HidFindAndGetFeatureReport(*answer)) return r;
  // The answer echoes the command it answers: another program's read of another block,
  // answered between our two reports, must not pass for ours.
  if (!std::equal(header.bytes.begin(), header.bytes.begin() + kEchoedHeaderBytes,
                  answer->Data.DATAReally))
    return std::make_error_code(std::errc::protocol_error);
  std::memcpy(payload, answer->Data.DATAReally + kCommandHeaderSize - 1, length);
  return {};
}

}  // namespace qor
