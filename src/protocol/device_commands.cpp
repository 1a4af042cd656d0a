// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/device_commands.h"

#include <algorithm>

#include "protocol/command_packet.h"

namespace qor {
namespace {

uint32_t storedLength(const uint8_t* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

}  // namespace

std::error_code WriteDeviceBlock(TuiHIDData& device, const uint8_t* data, uint16_t length,
                                 uint16_t address) {
  if (length == 0) return {};
  return SendDeviceCommand(device, BlockCommand(kCmdWriteBlock, address, length), data);
}

std::error_code ReadDeviceBlock(TuiHIDData& device, uint8_t* buffer, uint16_t length,
                                uint16_t address) {
  return QueryDeviceCommand(device, BlockCommand(kCmdReadBlock, address, length), buffer);
}

std::error_code WriteDeviceByte(TuiHIDData& device, uint8_t value, uint16_t address) {
  return WriteDeviceBlock(device, &value, 1, address);
}

std::error_code ReadDeviceByte(TuiHIDData& device, uint8_t& buffer, uint16_t address) {
  return ReadDeviceBlock(device, &buffer, 1, address);
}

std::error_code WriteButtonTable(TuiHIDData& device, const ButtonTable& table, uint16_t address) {
  return WriteDeviceBlock(device, table.data(), table.size(), address);
}

uint16_t MacroSlotWriteLength(const MacroImage& image, int slot) {
  // The last slot always goes in full, so nothing of an older macro stays behind it.
  if (slot == kMacroSlotCount - 1) return kMacroSlotSize;
  // A stored length past the slot would send the next slot's bytes: cut it to the slot.
  const uint8_t* lengths = image.data() + kMacroImageLengths;
  return uint16_t(std::min<uint32_t>(storedLength(lengths + 4 * slot), uint32_t(kMacroSlotSize)));
}

std::error_code WriteMacroSlots(TuiHIDData& device, const MacroImage& image) {
  for (int slot = 0; slot < kMacroSlotCount; ++slot) {
    if (std::error_code r =
            WriteDeviceBlock(device, image.data() + slot * kMacroSlotSize,
                             MacroSlotWriteLength(image, slot), kMacroSlotAddress[slot]))
      return r;
  }
  return {};
}

std::error_code WriteLEDBlock(TuiHIDData& device, const LEDBlock& block, uint16_t address) {
  return WriteDeviceBlock(device, block.data(), block.size(), address);
}

std::error_code WriteCPIBlock(TuiHIDData& device, const CPIBlock& block, uint16_t address) {
  return WriteDeviceBlock(device, block.data(), block.size(), address);
}

std::error_code ReadCPIBlock(TuiHIDData& device, CPIBlock& buffer, uint16_t address) {
  return ReadDeviceBlock(device, buffer.data(), buffer.size(), address);
}

std::error_code ReadModelNumber(TuiHIDData& device, std::array<uint8_t, kModelNumberSize>& buffer) {
  return ReadDeviceBlock(device, buffer.data(), buffer.size(), kModelNumberAddress);
}

std::error_code ReadCurrentCPIIndex(TuiHIDData& device, int32_t& index) {
  uint8_t bank = 0;
  if (std::error_code r = ReadDeviceByte(device, bank, kBankSelectorAddress)) return r;
  CPIBlock block{};
  const uint16_t address = bank == 0 ? kCPIBlockAddress : kSecondBankCPIBlockAddress;
  if (std::error_code r = ReadCPIBlock(device, block, address)) return r;
  index = block[kCPIBlockCurrentLevel];
  return {};
}

std::error_code SendLEDPreview(TuiHIDData& device, const LEDBlock& block) {
  return SendDeviceCommand(
      device, PlainCommand(kCmdLEDPreview, {block[0], block[1], block[2], block[3], block[4]}));
}

std::error_code SendCommand1(TuiHIDData& device, uint8_t p0, uint8_t p1) {
  return SendDeviceCommand(device, PlainCommand(kCmdCommand1, {p0, p1}));
}

std::error_code SendCommand6(TuiHIDData& device, uint8_t a, uint8_t b) {
  return SendDeviceCommand(device, PlainCommand(kCmdCommand6, {a, b}));
}

}  // namespace qor
