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

uint32_t WriteDeviceBlock(TuiHIDData& device, const uint8_t* data, uint16_t length,
                          uint16_t address) {
  if (length == 0) return 0;
  return SendDeviceCommand(device, BlockCommand(kCmdWriteBlock, address, length), data);
}

uint32_t ReadDeviceBlock(TuiHIDData& device, uint8_t* buffer, uint16_t length, uint16_t address) {
  return QueryDeviceCommand(device, BlockCommand(kCmdReadBlock, address, length), buffer);
}

uint32_t WriteDeviceByte(TuiHIDData& device, uint8_t value, uint16_t address) {
  return WriteDeviceBlock(device, &value, 1, address);
}

uint32_t ReadDeviceByte(TuiHIDData& device, uint8_t& buffer, uint16_t address) {
  return ReadDeviceBlock(device, &buffer, 1, address);
}

uint32_t WriteButtonTable(TuiHIDData& device, const ButtonTable& table, uint16_t address) {
  return WriteDeviceBlock(device, table.data(), table.size(), address);
}

uint16_t MacroSlotWriteLength(const MacroImage& image, int slot) {
  // The last slot always goes in full, so nothing of an older macro stays behind it.
  if (slot == kMacroSlotCount - 1) return kMacroSlotSize;
  // A stored length past the slot would send the next slot's bytes: cut it to the slot.
  const uint8_t* lengths = image.data() + kMacroImageLengths;
  return uint16_t(std::min<uint32_t>(storedLength(lengths + 4 * slot), uint32_t(kMacroSlotSize)));
}

uint32_t WriteMacroSlots(TuiHIDData& device, const MacroImage& image) {
  for (int slot = 0; slot < kMacroSlotCount; ++slot) {
    if (uint32_t r = WriteDeviceBlock(device, image.data() + slot * kMacroSlotSize,
                                      MacroSlotWriteLength(image, slot), kMacroSlotAddress[slot]))
      return r;
  }
  return 0;
}

uint32_t WriteLEDBlock(TuiHIDData& device, const LEDBlock& block, uint16_t address) {
  return WriteDeviceBlock(device, block.data(), block.size(), address);
}

uint32_t WriteCPIBlock(TuiHIDData& device, const CPIBlock& block, uint16_t address) {
  return WriteDeviceBlock(device, block.data(), block.size(), address);
}

uint32_t ReadCPIBlock(TuiHIDData& device, CPIBlock& buffer, uint16_t address) {
  return ReadDeviceBlock(device, buffer.data(), buffer.size(), address);
}

uint32_t ReadModelNumber(TuiHIDData& device, std::array<uint8_t, kModelNumberSize>& buffer) {
  return ReadDeviceBlock(device, buffer.data(), buffer.size(), kModelNumberAddress);
}

uint32_t ReadCurrentCPIIndex(TuiHIDData& device, int32_t& index) {
  uint8_t bank = 0;
  if (uint32_t r = ReadDeviceByte(device, bank, kBankSelectorAddress)) return r;
  CPIBlock block{};
  const uint16_t address = bank == 0 ? kCPIBlockAddress : kSecondBankCPIBlockAddress;
  if (uint32_t r = ReadCPIBlock(device, block, address)) return r;
  index = block[kCPIBlockCurrentLevel];
  return 0;
}

uint32_t SendLEDPreview(TuiHIDData& device, const LEDBlock& block) {
  return SendDeviceCommand(
      device, PlainCommand(kCmdLEDPreview, {block[0], block[1], block[2], block[3], block[4]}));
}

uint32_t SendCommand1(TuiHIDData& device, uint8_t p0, uint8_t p1) {
  return SendDeviceCommand(device, PlainCommand(kCmdCommand1, {p0, p1}));
}

uint32_t SendCommand6(TuiHIDData& device, uint8_t a, uint8_t b) {
  return SendDeviceCommand(device, PlainCommand(kCmdCommand6, {a, b}));
}

}  // namespace qor
