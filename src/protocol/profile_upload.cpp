// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/profile_upload.h"

#include <memory>

#include "protocol/device_commands.h"

namespace qor {
namespace {

template <typename Block>
DeviceBlock blockAt(uint16_t address, const Block& block) {
  return {address, std::vector<uint8_t>(block.begin(), block.end())};
}

}  // namespace

UploadBlocks BuildUpload(const TMOUSEPROFILEINFO& profile, UploadWarnings* warnings) {
  // On the heap: a profile is too large for the stack.
  const auto p = std::make_unique<TMOUSEPROFILEINFO>(profile);
  PutInDeviceOrder(*p);
  const TMOUSECONFIGINFO& c = p->ConfigInfo;
  UploadBlocks upload;
  BuildButtonTable(*p, upload.buttonTable, warnings);
  BuildMacroImage(*p, upload.macroImage, warnings);
  BuildLEDBlock(c.LEDConfig, upload.ledBlock);
  BuildCPIBlock(*p, upload.cpiBlock);
  upload.reportRateByte = GetReportRateByte(c.ReportRate, warnings);
  upload.wheelLEDByte = WheelLEDByte(static_cast<uint8_t>(c.HWVWheelValue), c.WheelLedOnOff != 0);
  return upload;
}

std::error_code WriteProfileBlocks(TuiHIDData& device, const UploadBlocks& upload,
                                   const YieldToEvents& yield) {
  auto yieldAfter = [&](std::error_code result) {
    if (yield) yield();
    return result;
  };
  if (std::error_code r =
          yieldAfter(WriteButtonTable(device, upload.buttonTable, kButtonTableAddress)))
    return r;
  if (std::error_code r = yieldAfter(WriteMacroSlots(device, upload.macroImage))) return r;
  if (std::error_code r = yieldAfter(WriteLEDBlock(device, upload.ledBlock, kLEDBlockAddress)))
    return r;
  return yieldAfter(WriteCPIBlock(device, upload.cpiBlock, kCPIBlockAddress));
}

std::vector<DeviceBlock> DeviceBlocksOf(const UploadBlocks& upload) {
  std::vector<DeviceBlock> blocks = {blockAt(kButtonTableAddress, upload.buttonTable)};
  for (int slot = 0; slot < kMacroSlotCount; ++slot) {
    const uint16_t length = MacroSlotWriteLength(upload.macroImage, slot);
    if (length == 0) continue;
    const auto* start = upload.macroImage.data() + slot * kMacroSlotSize;
    blocks.push_back({kMacroSlotAddress[slot], std::vector<uint8_t>(start, start + length)});
  }
  blocks.push_back(blockAt(kLEDBlockAddress, upload.ledBlock));
  blocks.push_back(blockAt(kCPIBlockAddress, upload.cpiBlock));
  blocks.push_back({kReportRateAddress, {upload.reportRateByte}});
  blocks.push_back({kBankSelectorAddress, {upload.bankSelector}});
  blocks.push_back({kWheelLEDAddress, {upload.wheelLEDByte}});
  return blocks;
}

}  // namespace qor
