// SPDX-License-Identifier: GPL-2.0-or-later
// Device blocks of a profile, against bytes worked out by hand.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "model/factory_defaults.h"
#include "model/wide_text.h"
#include "protocol/profile_blocks.h"
#include "protocol/profile_upload.h"

namespace qor {
namespace {

using Bytes = std::vector<uint8_t>;

template <std::size_t N>
Bytes bytes(const std::array<uint8_t, N>& a, std::size_t from = 0, std::size_t count = N) {
  return Bytes(a.begin() + from, a.begin() + from + count);
}

TMOUSEPROFILEINFO factoryProfile() {
  TMOUSEPROFILEINFO p{};
  RestoreFactoryProfile(p);
  return p;
}

TBUTTONFUNCINFO& button(TMOUSEPROFILEINFO& p, int i) {
  return p.ConfigInfo.ButtonFuncInfo[i];
}

// Assigns macro `index` of the profile's list to button `b`.
void assignMacro(TMOUSEPROFILEINFO& p, int b, int index) {
  button(p, b).FunctionType = 4;
  button(p, b).FunctionCode = 17;
  button(p, b).MacroInfo = p.MacroKeyInfoList.MacroInfos[index];
  button(p, b).MacroInfo.nMacroIndex = uint16_t(index);
}

void addMacro(TMOUSEPROFILEINFO& p, const std::vector<TMACROKEY>& actions, uint16_t loops,
              const std::string& name) {
  const int k = p.MacroKeyInfoList.nMacroInfoCount++;
  TMACROKEYINFO& m = p.MacroKeyInfoList.MacroInfos[k];
  m = TMACROKEYINFO{};
  for (std::size_t j = 0; j < actions.size(); ++j) m.MacroList[j] = actions[j];
  m.MacroListCount = int32_t(actions.size());
  m.nLoopCount = loops;
  m.nMacroIndex = uint16_t(k);
  writeWideFieldUtf8(m.szMacroName, name, TextFit::Cut);
}

TEST(ButtonTable, FactoryProfileInDeviceOrder) {
  ButtonTable t;
  TMOUSEPROFILEINFO p = factoryProfile();
  PutInDeviceOrder(p);
  BuildButtonTable(p, t);
  Bytes expected(81, 0);
  const uint8_t codes[9] = {1, 2, 3, 4, 5, 8, 10, 10, 9};  // Forward (5) and Backward (4) swap
  expected[0] = 9;
  for (int i = 0; i < 9; ++i) expected[1 + 4 * i] = codes[i];
  EXPECT_EQ(bytes(t), expected);
}

TEST(ButtonTable, ParametersByFunctionCode) {
  TMOUSEPROFILEINFO p = factoryProfile();
  p.ConfigInfo.ButtonCount = 9;
  button(p, 0) = {};
  button(p, 0).FunctionCode = 15;
  button(p, 0).ComboKeyInfo = {67, 0, 0, 0, 2};  // Ctrl+C
  button(p, 1).FunctionCode = 15;
  button(p, 1).ComboKeyInfo = {37, 1, 65, 0, 6};  // Ctrl+Shift+Left (arrow key)+A
  button(p, 2).FunctionCode = 16;
  button(p, 2).KeyValue = 13;
  button(p, 2).KeyExtended = 1;  // the main Enter key
  button(p, 3).FunctionCode = 14;
  button(p, 3).HidCodeInfo = {233, 0, 0};  // volume up
  button(p, 4).FunctionCode = 18;
  button(p, 4).FireKeyInfo = {2, 300};
  button(p, 5).FunctionCode = 19;
  button(p, 5).FunctionBytes[0] = 0x20;
  button(p, 5).FunctionBytes[2] = 0x07;
  button(p, 6).FunctionCode = 11;
  button(p, 6).FunctionParam = 7;
  button(p, 7).FunctionCode = 15;
  button(p, 7).ComboKeyInfo = {166, 1, 0, 0, 1};  // Alt+browser back: no byte for it
  UploadWarnings warnings;
  ButtonTable t;
  BuildButtonTable(p, t, &warnings);
  EXPECT_EQ(bytes(t, 1, 32), (Bytes{15, 1, 6,    0, 15, 3,    80, 4, 16, 0, 88, 0, 14, 0, 233, 0,
                                    18, 2, 0x2C, 1, 19, 0x20, 0,  7, 11, 7, 0,  0, 15, 4, 0,   0}));
  EXPECT_EQ(warnings.size(), 1u);
}

TEST(MacroBlocks, LoopedMacroOnTwoButtons) {
  TMOUSEPROFILEINFO p = factoryProfile();
  addMacro(p,
           {{6, 0, 5, 0},
            {6, 0, 15, 0},
            {6, 0, 25, 0},
            {6, 0, 35, 0},  // delays
            {4, 1, 65, 0},
            {4, 0, 65, 0},    // A down, up
            {1, 1, 1, 0},     // left button down
            {4, 2, 65, 0},    // state 2: zeros
            {5, 1, 0xE9, 0},  // media key
            {4, 1, 166, 1}},  // browser back
           3, "m");
  assignMacro(p, 0, 0);
  assignMacro(p, 2, 0);
  UploadWarnings warnings;
  ButtonTable t;
  BuildButtonTable(p, t, &warnings);
  EXPECT_EQ(bytes(t, 1, 4), (Bytes{17, 0, 33, 0}));
  EXPECT_EQ(bytes(t, 9, 4), (Bytes{17, 0, 33, 0}));
  MacroImage img;
  BuildMacroImage(p, img, &warnings);
  EXPECT_EQ(bytes(img, 0, 36),
            (Bytes{6,    0, 0, 6, 2, 0, 6,    2,    0, 6,    4, 0, 0x84, 4, 0, 4, 4, 0,
                   0x81, 1, 0, 0, 0, 0, 0x85, 0xE9, 0, 0x84, 0, 1, 7,    3, 0, 0, 0, 0}));
  EXPECT_EQ(bytes(img, 1920, 20),
            (Bytes{33, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(bytes(img, 384, 3), (Bytes{0, 0, 0}));  // one copy only
  EXPECT_FALSE(warnings.empty());                   // the browser key was left out
}

TEST(MacroBlocks, SixthMacroNeverGetsASlot) {
  TMOUSEPROFILEINFO p = factoryProfile();
  for (int k = 0; k < 6; ++k) {
    addMacro(p, {{6, 0, uint8_t(10 * (k + 1)), 0}}, 0, "m" + std::to_string(k));
    assignMacro(p, k, k);
  }
  UploadWarnings warnings;
  ButtonTable t;
  BuildButtonTable(p, t, &warnings);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(bytes(t, 1 + 4 * k, 4), (Bytes{17, uint8_t(k), 3, 0})) << k;
  EXPECT_EQ(bytes(t, 21, 4), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(warnings.size(), 1u);
  MacroImage img;
  BuildMacroImage(p, img);
  for (int s = 0; s < 5; ++s) EXPECT_EQ(bytes(img, 384 * s, 3), (Bytes{6, uint8_t(s + 1), 0})) << s;
  EXPECT_EQ(bytes(img, 1920, 4), (Bytes{3, 0, 0, 0}));
  EXPECT_EQ(bytes(img, 1936, 4), (Bytes{3, 0, 0, 0}));
}

TEST(MacroBlocks, FullMacroDropsItsLoopAndEmptyTableStillFillsTheImage) {
  TMOUSEPROFILEINFO p = factoryProfile();
  addMacro(p, std::vector<TMACROKEY>(128, TMACROKEY{6, 0, 100, 0}), 2, "full");
  assignMacro(p, 1, 0);
  EXPECT_EQ(GetMacroDeviceLength(button(p, 1).MacroInfo), 128);
  UploadWarnings warnings;
  MacroImage img;
  BuildMacroImage(p, img, &warnings);
  EXPECT_EQ(bytes(img, 381, 6), (Bytes{6, 10, 0, 0, 0, 0}));  // last action, then slot 1 empty
  EXPECT_EQ(bytes(img, 1920, 4), (Bytes{0x80, 1, 0, 0}));     // 384 bytes
  EXPECT_EQ(warnings.size(), 1u);
  p.ConfigInfo.ButtonCount = 0;
  ButtonTable t;
  BuildButtonTable(p, t);
  EXPECT_EQ(bytes(t), Bytes(81, 0));
  MacroImage again;
  BuildMacroImage(p, again);
  EXPECT_EQ(again, img);
}

TEST(MacroBlocks, DamagedCountsStayInsideTheRecord) {
  TMOUSEPROFILEINFO p = factoryProfile();
  p.ConfigInfo.ButtonCount = 1000;
  p.MacroKeyInfoList.nMacroInfoCount = 60000;
  p.MacroKeyInfoList.MacroInfos[0].MacroListCount = -5;
  ButtonTable t;
  BuildButtonTable(p, t);
  EXPECT_EQ(t[0], 15);
  MacroImage img;
  BuildMacroImage(p, img);
  EXPECT_EQ(bytes(img, 1920, 20), Bytes(20, 0));
}

TEST(DeviceBlocks, LEDAndCPIAndRate) {
  TMOUSEPROFILEINFO p = factoryProfile();
  RestoreDefaultLightAndReportAdvancedSetting(p);
  p.ConfigInfo.LEDConfig.BREATH_SECOND = 9;
  LEDBlock led;
  BuildLEDBlock(p.ConfigInfo.LEDConfig, led);
  EXPECT_EQ(bytes(led), (Bytes{255, 0, 255, 3, 1, 9}));
  BuildLEDBlock({255, 0, 0, 3, 1, 0}, led);
  EXPECT_EQ(bytes(led, 0, 3), (Bytes{255, 255, 0}));

  p.ConfigInfo.CPIState[1] = {1000, 1200, 1};
  p.ConfigInfo.CurrentCPIIndex = 2;
  CPIBlock cpi;
  BuildCPIBlock(p, cpi);
  EXPECT_EQ(bytes(cpi), (Bytes{4, 2, 1, 2, 2, 1, 5, 5, 1, 6, 6, 1, 10, 10, 0, 1,
                               1, 0, 1, 1, 0, 1, 1, 0, 1, 1, 0, 1, 1,  0,  1, 1}));

  UploadWarnings warnings;
  EXPECT_EQ(GetReportRateCode(125), 8);
  EXPECT_EQ(GetReportRateCode(250), 4);
  EXPECT_EQ(GetReportRateCode(500), 2);
  EXPECT_EQ(GetReportRateCode(1000), 1);
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(GetReportRateCode(300, &warnings), 2);
  EXPECT_EQ(warnings.size(), 1u);
}

TEST(DeviceBytes, ReportRateAndWheelLED) {
  struct Rate {
    uint32_t hz;
    uint8_t byte;
  } rates[] = {{125, 0x88}, {250, 0x44}, {500, 0x22}, {1000, 0x11}, {333, 0x22}};
  UploadWarnings warnings;
  for (const Rate& r : rates) EXPECT_EQ(GetReportRateByte(r.hz, &warnings), r.byte) << r.hz;
  EXPECT_EQ(warnings.size(), 1u);  // 333 Hz is not offered

  struct Wheel {
    uint8_t value;
    bool on;
    uint8_t byte;
  } wheels[] = {{10, true, 0x8A}, {200, false, 0x48}, {127, true, 0xFF}, {0, false, 0x00}};
  for (const Wheel& w : wheels) EXPECT_EQ(WheelLEDByte(w.value, w.on), w.byte) << int(w.value);
}

// The upload holds every byte Apply writes, from the profile's own fields, and lists the runs
// of memory in the order they are written: the macro slots with the lengths they are sent.
TEST(UploadBlocks, HoldsEveryBlockAndByteInWriteOrder) {
  auto p = std::make_unique<TMOUSEPROFILEINFO>(factoryProfile());
  addMacro(*p, {{4, 0, 4, 0}, {4, 1, 4, 0}}, 0, "two");
  assignMacro(*p, 3, 0);  // device entry 4: buttons 3 and 4 change places
  p->ConfigInfo.ReportRate = 250;
  p->ConfigInfo.HWVWheelValue = 5;
  p->ConfigInfo.WheelLedOnOff = 0;
  p->ConfigInfo.LEDConfig.BREATH_SECOND = 7;
  UploadWarnings warnings;
  const UploadBlocks upload = BuildUpload(*p, &warnings);
  EXPECT_TRUE(warnings.empty());
  EXPECT_EQ(bytes(upload.buttonTable, 13, 8), (Bytes{4, 0, 0, 0, 17, 0, 6, 0}));
  EXPECT_EQ(upload.ledBlock[5], 7);
  EXPECT_EQ(upload.reportRateByte, 0x44);
  EXPECT_EQ(upload.bankSelector, 0);
  EXPECT_EQ(upload.wheelLEDByte, 0x05);

  std::vector<std::pair<uint16_t, std::size_t>> runs;
  for (const DeviceBlock& b : DeviceBlocksOf(upload)) runs.emplace_back(b.address, b.bytes.size());
  EXPECT_EQ(runs,
            (std::vector<std::pair<uint16_t, std::size_t>>{
                {144, 81}, {209, 6}, {1745, 384}, {2177, 6}, {72, 32}, {69, 1}, {64, 1}, {62, 1}}));
  EXPECT_EQ(DeviceBlocksOf(upload)[5].bytes, Bytes{0x44});
}

}  // namespace
}  // namespace qor
