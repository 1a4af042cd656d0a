#include "protocol/profile_upload.h"

#include "protocol/device_commands.h"

namespace qor {

void WriteProfileBlocks(TuiHIDData& device, const TMOUSEPROFILEINFO& profile,
                        const YieldToEvents& yield, UploadWarnings* warnings) {
  const TMOUSEPROFILEINFO p = ProfileInDeviceOrder(profile);
  ButtonTable table;
  LEDBlock led;
  MacroImage macros;
  CPIBlock cpi;
  BuildButtonTable(p, table, warnings);
  BuildLEDBlock(p.ConfigInfo.LEDConfig, led);
  BuildMacroImage(p, macros, warnings);
  BuildCPIBlock(p, cpi);
  auto yieldNow = [&] {
    if (yield) yield();
  };
  WriteButtonTable(device, table, kButtonTableAddress);
  yieldNow();
  WriteMacroSlots(device, macros);
  yieldNow();
  WriteLEDBlock(device, led, kLEDBlockAddress);
  yieldNow();
  WriteCPIBlock(device, cpi, kCPIBlockAddress);
  yieldNow();
}

}  // namespace qor
