// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/profile_upload.h"

#include <memory>

#include "protocol/device_commands.h"

namespace qor {
namespace {

// The four parts of an upload, built from a profile in device order.
struct ProfileParts {
  ButtonTable table;
  LEDBlock led;
  MacroImage macros;
  CPIBlock cpi;
};

ProfileParts buildParts(const TMOUSEPROFILEINFO& profile, UploadWarnings* warnings) {
  const auto p = std::make_unique<TMOUSEPROFILEINFO>(profile);
  PutInDeviceOrder(*p);
  ProfileParts parts;
  BuildButtonTable(*p, parts.table, warnings);
  BuildLEDBlock(p->ConfigInfo.LEDConfig, parts.led);
  BuildMacroImage(*p, parts.macros, warnings);
  BuildCPIBlock(*p, parts.cpi);
  return parts;
}

template <typename Block>
DeviceBlock blockAt(uint16_t address, const Block& block) {
  return {address, std::vector<uint8_t>(block.begin(), block.end())};
}

}  // namespace

uint32_t WriteProfileBlocks(TuiHIDData& device, const TMOUSEPROFILEINFO& profile,
                            const YieldToEvents& yield, UploadWarnings* warnings) {
  const ProfileParts parts = buildParts(profile, warnings);
  auto yieldAfter = [&](uint32_t result) {
    if (yield) yield();
    return result;
  };
  if (uint32_t r = yieldAfter(WriteButtonTable(device, parts.table, kButtonTableAddress))) return r;
  if (uint32_t r = yieldAfter(WriteMacroSlots(device, parts.macros))) return r;
  if (uint32_t r = yieldAfter(WriteLEDBlock(device, parts.led, kLEDBlockAddress))) return r;
  return yieldAfter(WriteCPIBlock(device, parts.cpi, kCPIBlockAddress));
}

std::vector<DeviceBlock> ProfileBlocksInMemory(const TMOUSEPROFILEINFO& profile) {
  const ProfileParts parts = buildParts(profile, nullptr);
  std::vector<DeviceBlock> blocks = {blockAt(kButtonTableAddress, parts.table)};
  for (int slot = 0; slot < kMacroSlotCount; ++slot) {
    const uint16_t length = MacroSlotWriteLength(parts.macros, slot);
    if (length == 0) continue;
    const auto* start = parts.macros.data() + slot * kMacroSlotSize;
    blocks.push_back({kMacroSlotAddress[slot], std::vector<uint8_t>(start, start + length)});
  }
  blocks.push_back(blockAt(kLEDBlockAddress, parts.led));
  blocks.push_back(blockAt(kCPIBlockAddress, parts.cpi));
  return blocks;
}

}  // namespace qor
