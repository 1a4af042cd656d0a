// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual mouse's firmware: the device memory and the commands that reach it in feature
// reports. Plain state, no I/O: the socket server and tests drive it directly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/device_commands.h"

namespace qor::sim {

using DeviceMemory = std::array<uint8_t, kDeviceMemorySize>;

inline constexpr std::string_view kDefaultModel = "MODAL001";

// The memory of a new mouse: `model` at address 0 (at most 16 bytes, cut there), bank
// selector 0, and in both CPI blocks four levels 500/1000/1500/2500 (codes 2/4/6/10) with
// level 1 current; zero elsewhere.
DeviceMemory FactoryMemory(std::string_view model = kDefaultModel);

// What one feature report did.
struct FirmwareResult {
  int error = 0;               // 0, or EPIPE: the device stalled the report
  std::string problem;         // why it was stalled
  bool memoryChanged = false;  // a block write stored bytes
};

// One command of type 1 or 6 as it arrived: header bytes 1 to 6.
struct RecordedCommand {
  unsigned count = 0;               // how many arrived
  std::array<uint8_t, 6> params{};  // those of the last one
};

class Firmware {
 public:
  // `featureLength`: the interface's declared feature report length; longer reports stall.
  explicit Firmware(DeviceMemory memory = FactoryMemory(), uint32_t featureLength = 4096);

  // A feature report from the host: report[0] is the report ID, `size` counts it. The ID and
  // length must agree (2:16, 3:64, 4:1024, 5:2048, 6:4096).
  FirmwareResult setFeature(const uint8_t* report, std::size_t size);
  // The host reads the feature report whose ID is report[0]: the answer to the last block
  // read, its header echoed and the block from byte 8 on. Stalls without a pending read.
  FirmwareResult getFeature(uint8_t* report, std::size_t size);

  const DeviceMemory& memory() const { return memory_; }
  // The LED block bytes 0-4 of the last preview command, if any arrived.
  const std::optional<std::array<uint8_t, 5>>& ledPreview() const { return ledPreview_; }
  const RecordedCommand& command1() const { return command1_; }
  const RecordedCommand& command6() const { return command6_; }

 private:
  struct PendingRead {
    std::array<uint8_t, 7> header;  // header bytes 0-6 as the host sent them
    uint16_t address;
    uint16_t length;
  };
  // Checks the report ID against the length; an error text when they disagree.
  std::optional<std::string> checkReport(const uint8_t* report, std::size_t size) const;
  std::optional<std::string> checkRange(uint32_t address, uint32_t length) const;

  DeviceMemory memory_;
  uint32_t featureLength_;
  std::optional<PendingRead> pending_;
  std::optional<std::array<uint8_t, 5>> ledPreview_;
  RecordedCommand command1_;
  RecordedCommand command6_;
};

}  // namespace qor::sim
