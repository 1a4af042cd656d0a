// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/factory_defaults.h"

#include <algorithm>

#include "model/button_function_table.h"
#include "model/wide_text.h"
#include "protocol/cpi_table.h"

namespace qor {
namespace {

// Record i of the key-bit table: byte 7, then 2^i as 24 bits, low byte first.
std::array<uint8_t, 4> keyBitRecord(int i) {
  const uint32_t bit = 1u << i;
  return {7, static_cast<uint8_t>(bit), static_cast<uint8_t>(bit >> 8),
          static_cast<uint8_t>(bit >> 16)};
}

void clearCPILevels(TMOUSECONFIGINFO& c) {
  for (int i = 0; i < 10; ++i) c.CPIState[i] = c.HWCPIState[i] = TCPISTATE{0, 0, 0};
}

// The four factory levels, with their device-side copies.
void setFactoryCPILevels(TMOUSECONFIGINFO& c) {
  static constexpr TCPISTATE kLevels[4] = {
      {500, 500, 1}, {1000, 1000, 1}, {1500, 1500, 1}, {2500, 2500, 1}};
  for (int i = 0; i < 4; ++i) {
    c.CPIState[i] = kLevels[i];
    const auto hw = static_cast<uint16_t>(
        GetNearestCPIValue(std::max<uint32_t>(kLevels[i].CPIX, kLevels[i].CPIY)));
    c.HWCPIState[i] = TCPISTATE{hw, hw, kLevels[i].Enabled};
  }
}

void setButton(TBUTTONFUNCINFO& b, int index, uint8_t type, int row, int32_t code, int32_t item) {
  b.ButtonIndex = static_cast<uint16_t>(index);
  b.FunctionType = type;
  b.FunctionIndex = static_cast<uint16_t>(row);
  b.FunctionCode = code;
  b.MenuItemID = item;
}

}  // namespace

void RestoreFactoryProfile(TMOUSEPROFILEINFO& p) {
  TMOUSECONFIGINFO& c = p.ConfigInfo;
  p.ProfileHeader.FFileVersion = kProfileFileVersion;
  c.ButtonCount = 9;
  for (int i = 0; i < 10; ++i)
    std::memset(&c.ButtonFuncInfo[i], 0, offsetof(TBUTTONFUNCINFO, ButtonIndex));
  for (int i = 0; i < 5; ++i) setButton(c.ButtonFuncInfo[i], i, 1, i, ButtonFunctionCode(i), i + 1);
  static constexpr int32_t kBuiltInCodes[4] = {8, 10, 10, 9};
  for (int i = 5; i < 9; ++i) setButton(c.ButtonFuncInfo[i], i, 0, 28, kBuiltInCodes[i - 5], 11);
  c.HWVWheelValue = 1;
  c.VWheelSpeed = 3;
  c.DoubleClickSpeed = 550;
  c.PointerSpeed = 10;
  c.ReportRate = 500;
  c.CPILevel = 4;
  c.PointerAcceleration = 0;
  c.WheelLedOnOff = 1;
  c.LEDConfig.BRIGHT_LEVEL = 3;
  c.LEDConfig.BREATH_SPEED = 1;
  c.LEDConfig.R = 255;
  c.LEDConfig.G = 0;
  c.LEDConfig.B = 0;
  clearCPILevels(c);
  setFactoryCPILevels(c);
  c.CurrentCPIIndex = 1;
  for (int i = 0; i < 4; ++i) c.UseDiffentXY[i] = 1;
  p.MacroKeyInfoList.nMacroInfoCount = 0;
  c.ApplyCPISettingEachProfile = 1;
  c.ApplyAccelaration = 0;
  c.ApplyDiffirentXY = 0;
  c.FireKeySpeed = 5;
  c.FireKeyCount = 2;
}

void RestoreFactoryTestProfile(TMOUSEPROFILEINFO& p) {
  std::memset(&p, 0, sizeof p);
  TMOUSECONFIGINFO& c = p.ConfigInfo;
  p.ProfileHeader.FFileVersion = kProfileFileVersion;
  c.ButtonCount = 6;
  for (int i = 0; i < 5; ++i) setButton(c.ButtonFuncInfo[i], i, 1, i, ButtonFunctionCode(i), 0);
  TBUTTONFUNCINFO& b5 = c.ButtonFuncInfo[5];
  b5.ButtonIndex = 5;
  b5.FunctionType = 11;
  b5.FunctionIndex = 14;
  b5.FunctionCode = 19;
  const auto bits = keyBitRecord(5);
  std::copy(bits.begin() + 1, bits.end(), b5.FunctionBytes);
}

bool RestoreFactoryProfileSettingGroup(TProfileSettingGroup& g,
                                       const std::string& documentsFolder) {
  TProfileSettingGroup next = g;
  for (int i = 0; i < kProfileSlots; ++i) {
    TProfileSettingInfo& e = next.ProfileSettingList[i];
    const std::string n = std::to_string(i + 1);
    e.ReservedWord = 0;
    e.StorageKind = 1;
    if (!writeWideFieldUtf8(e.FileName, "QORProfile" + n + ".PFX", TextFit::Refuse) ||
        !writeWideFieldUtf8(e.KeyPath, "software\\QOR51GMMouse", TextFit::Refuse) ||
        !writeWideFieldUtf8(e.FilePath, documentsFolder, TextFit::Refuse) ||
        !writeWideFieldUtf8(e.MacroPath, documentsFolder + "/ETProfile" + n + "_Macros",
                            TextFit::Refuse))
      return false;
  }
  next.CurrentProfileGroup = 0;
  next.ProfileIndexOfProfileGroup[0] = 0;
  next.ProfileIndexOfProfileGroup[1] = 1;
  g = next;
  return true;
}

void RestoreFactoryAllGamesInfo(TALLGAMESINFO& a) {
  for (TProfileSettingInfo& e : a.Allgameset) {
    e.ReservedWord = 0;
    e.StorageKind = 0;
    writeWideField(e.FilePath, u"", TextFit::Refuse);
  }
  a.CurrentGame = 0;
  a.Allgameset[0].ReservedWord = 1;
  a.CurrentLanguage = 0;
}

void RestoreDefaultCPISetting(TMOUSEPROFILEINFO& p) {
  TMOUSECONFIGINFO& c = p.ConfigInfo;
  clearCPILevels(c);
  setFactoryCPILevels(c);
  c.CurrentCPIIndex = 1;
  for (int i = 0; i < 4; ++i) c.UseDiffentXY[i] = 0;
  c.ApplyCPISettingEachProfile = 1;
  c.ApplyAccelaration = 0;
  c.ApplyDiffirentXY = 0;
}

void RestoreDefaultLightAndReportAdvancedSetting(TMOUSEPROFILEINFO& p) {
  TMOUSECONFIGINFO& c = p.ConfigInfo;
  c.ApplyCPISettingEachProfile = 1;
  c.ApplyAccelaration = 1;
  c.ApplyDiffirentXY = 0;
  c.FireKeySpeed = 5;
  c.FireKeyCount = 2;
  c.ReportRate = 500;
  c.LEDConfig.BRIGHT_LEVEL = 3;
  c.LEDConfig.BREATH_SPEED = 1;
  c.LEDConfig.R = 0;
  c.LEDConfig.G = 0;
  c.LEDConfig.B = 255;
  c.WheelLedOnOff = 1;
}

}  // namespace qor
