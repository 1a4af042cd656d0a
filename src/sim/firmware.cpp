// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/firmware.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "protocol/command_packet.h"

namespace qor::sim {
namespace {

// Report byte offsets: the ID, then header bytes 0-6, then the payload.
constexpr std::size_t kReportCmdType = 1;
constexpr std::size_t kReportAddress = 2;  // header bytes 1-2
constexpr std::size_t kReportLength = 4;   // header bytes 3-4
constexpr std::size_t kReportPayload = kCommandHeaderSize;

uint16_t le16(const uint8_t* at) {
  return uint16_t(at[0] | at[1] << 8);
}

FirmwareResult stall(std::string problem) {
  return FirmwareResult{EPIPE, std::move(problem)};
}

void putCPIBlock(DeviceMemory& memory, std::size_t at) {
  static constexpr uint8_t codes[] = {2, 4, 6, 10};  // 500, 1000, 1500, 2500 CPI
  memory[at + kCPIBlockLevelCount] = std::size(codes);
  memory[at + kCPIBlockCurrentLevel] = 1;
  for (std::size_t i = 0; i < std::size(codes); ++i) {
    uint8_t* level = &memory[at + kCPIBlockFirstLevel + 3 * i];
    level[0] = 1;
    level[1] = codes[i];
    level[2] = codes[i];
  }
}

}  // namespace

DeviceMemory FactoryMemory(std::string_view model) {
  DeviceMemory memory{};
  std::copy_n(model.begin(), std::min(model.size(), kModelNumberSize),
              memory.begin() + kModelNumberAddress);
  memory[kBankSelectorAddress] = 0;
  putCPIBlock(memory, kCPIBlockAddress);
  putCPIBlock(memory, kSecondBankCPIBlockAddress);
  return memory;
}

Firmware::Firmware(DeviceMemory memory, uint32_t featureLength)
    : memory_(memory), featureLength_(featureLength) {}

std::optional<std::string> Firmware::checkReport(const uint8_t* report, std::size_t size) const {
  if (size == 0) return "empty report";
  const uint8_t id = report[0];
  if (id < kFirstCommandReportID || id > kLastCommandReportID)
    return "unknown report ID " + std::to_string(id);
  if (size != GetReportSizeByID(id))
    return "report ID " + std::to_string(id) + " is " + std::to_string(GetReportSizeByID(id)) +
           " bytes long, not " + std::to_string(size);
  if (size > featureLength_)
    return "report of " + std::to_string(size) + " bytes is longer than the feature length " +
           std::to_string(featureLength_);
  return std::nullopt;
}

std::optional<std::string> Firmware::checkRange(uint32_t address, uint32_t length) const {
  if (address + length > memory_.size())
    return "address range " + std::to_string(address) + "+" + std::to_string(length) +
           " is outside the " + std::to_string(memory_.size()) + "-byte memory";
  return std::nullopt;
}

FirmwareResult Firmware::setFeature(const uint8_t* report, std::size_t size) {
  if (auto bad = checkReport(report, size)) return stall(*bad);
  const uint8_t type = report[kReportCmdType] & 0x7F;
  const uint16_t address = le16(report + kReportAddress);
  const uint16_t length = le16(report + kReportLength);
  switch (type) {
    case kCmdWriteBlock: {
      if (auto bad = checkRange(address, length)) return stall(*bad);
      if (kReportPayload + length > size)
        return stall("block of " + std::to_string(length) + " bytes does not fit a report of " +
                     std::to_string(size) + " bytes");
      std::memcpy(memory_.data() + address, report + kReportPayload, length);
      return FirmwareResult{0, {}, length > 0};
    }
    case kCmdReadBlock: {
      if (auto bad = checkRange(address, length)) return stall(*bad);
      PendingRead read{{}, address, length};
      std::copy_n(report + kReportCmdType, read.header.size(), read.header.begin());
      pending_ = read;
      return {};
    }
    case kCmdLEDPreview:
      ledPreview_.emplace();
      std::copy_n(report + kReportCmdType + 1, ledPreview_->size(), ledPreview_->begin());
      return {};
    case kCmdCommand1:
    case kCmdCommand6: {
      RecordedCommand& c = type == kCmdCommand1 ? command1_ : command6_;
      ++c.count;
      std::copy_n(report + kReportCmdType + 1, c.params.size(), c.params.begin());
      return {};
    }
    default:
      return {};  // acknowledged and ignored, as a real device does with what it does not know
  }
}

FirmwareResult Firmware::getFeature(uint8_t* report, std::size_t size) {
  if (auto bad = checkReport(report, size)) return stall(*bad);
  if (!pending_) return stall("no block read to answer");
  const PendingRead read = *pending_;
  if (kReportPayload + read.length > size)
    return stall("block of " + std::to_string(read.length) + " bytes does not fit a report of " +
                 std::to_string(size) + " bytes");
  pending_.reset();
  std::fill(report + 1, report + size, 0);
  std::copy(read.header.begin(), read.header.end(), report + kReportCmdType);
  std::memcpy(report + kReportPayload, memory_.data() + read.address, read.length);
  return {};
}

}  // namespace qor::sim
