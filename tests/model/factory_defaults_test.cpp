// SPDX-License-Identifier: GPL-2.0-or-later
// Factory images checked byte by byte against offsets computed by hand.
#include <gtest/gtest.h>

#include "model/factory_defaults.h"
#include "test_support/bytes.h"

namespace qor {
namespace {

using test::Bytes;
using test::put16;
using test::put32;
using test::putWide;

constexpr std::size_t kConfig = 860;    // ConfigInfo in the profile
constexpr std::size_t kEntry = 3772;    // one button entry
constexpr std::size_t kSetting = 6190;  // one TProfileSettingInfo

// The factory profile as it must look when written over a zero image.
Bytes expectedFactoryProfile() {
  Bytes b(109888, 0);
  put32(b, 0, 258);
  put32(b, kConfig + 82128, 9);  // ButtonCount
  const int codes[9] = {1, 2, 3, 5, 4, 8, 10, 10, 9};
  for (int i = 0; i < 9; ++i) {
    const std::size_t e = kConfig + kEntry * i;
    put16(b, e + 3752, uint16_t(i));                   // ButtonIndex
    put16(b, e + 3754, uint16_t(i < 5 ? i : 28));      // FunctionIndex
    b[e + 3756] = i < 5 ? 1 : 0;                       // FunctionType
    put32(b, e + 3760, uint32_t(codes[i]));            // FunctionCode
    put32(b, e + 3764, uint32_t(i < 5 ? i + 1 : 11));  // MenuItemID
  }
  put16(b, 72532, 3);                                      // VWheelSpeed
  b[72536] = 1;                                            // HWVWheelValue
  b[72537] = 1;                                            // WheelLedOnOff
  put16(b, 72538, 550);                                    // DoubleClickSpeed
  put16(b, 72540, 10);                                     // PointerSpeed
  put16(b, 72546, 500);                                    // ReportRate
  put32(b, 72548, 1);                                      // CurrentCPIIndex
  for (int i = 0; i < 4; ++i) put16(b, 72560 + 2 * i, 1);  // UseDiffentXY
  const uint16_t cpi[4] = {500, 1000, 1500, 2500};
  for (std::size_t base : {std::size_t{72584}, std::size_t{72650}})  // CPIState, HWCPIState
    for (int i = 0; i < 4; ++i) {
      put16(b, base + 6 * i, cpi[i]);
      put16(b, base + 6 * i + 2, cpi[i]);
      put16(b, base + 6 * i + 4, 1);
    }
  put16(b, 72716, 4);  // CPILevel
  b[82980] = 255;      // LED R
  b[82983] = 3;        // BRIGHT_LEVEL
  b[82984] = 1;        // BREATH_SPEED
  put32(b, 85044, 1);  // ApplyCPISettingEachProfile
  put32(b, 85056, 5);  // FireKeySpeed
  put32(b, 85060, 2);  // FireKeyCount
  return b;
}

TEST(FactoryProfile, ZeroImageGetsExactlyTheFactoryBytes) {
  Bytes stream;  // a new store: shorter than the record, extended with zeros
  FillRecordInStream<TMOUSEPROFILEINFO>(stream, RestoreFactoryProfile);
  ASSERT_EQ(stream.size(), 109888u);
  const Bytes expected = expectedFactoryProfile();
  for (std::size_t i = 0; i < expected.size(); ++i)
    ASSERT_EQ(stream[i], expected[i]) << "byte " << i;
}

TEST(FactoryProfile, ResetKeepsWhatTheFactoryValuesDoNotName) {
  Bytes stream(109888 + 16, 0xAB);  // every byte set, plus bytes past the record
  put16(stream, 105396, 3);         // three macros
  FillRecordInStream<TMOUSEPROFILEINFO>(stream, RestoreFactoryProfile);
  EXPECT_EQ(stream.size(), 109888u + 16);
  EXPECT_EQ(stream[109888 + 5], 0xAB);
  EXPECT_EQ(test::u16At(stream, 105396), 0);    // count cleared ...
  EXPECT_EQ(stream[86664], 0xAB);               // ... macro records kept
  EXPECT_EQ(stream[60], 0xAB);                  // FunctionList carried
  const std::size_t e3 = kConfig + kEntry * 3;  // button 3: parameters zeroed
  EXPECT_EQ(stream[e3 + 6], 0);                 // ComboKeyInfo
  EXPECT_EQ(stream[e3 + 3751], 0);              // last byte before ButtonIndex
  EXPECT_EQ(test::i32At(stream, e3 + 3760), 5);
  EXPECT_EQ(test::i32At(stream, e3 + 3764), 4);
  EXPECT_EQ(stream[e3 + 3768], 0xAB);           // reserved tail kept
  const std::size_t e9 = kConfig + kEntry * 9;  // entry 9: parameters zeroed only
  EXPECT_EQ(stream[e9 + 100], 0);
  EXPECT_EQ(test::u16At(stream, e9 + 3752), 0xABAB);
  const std::size_t e10 = kConfig + kEntry * 10;  // entries 10..14 untouched
  EXPECT_EQ(stream[e10 + 100], 0xAB);
  EXPECT_EQ(stream[72584 + 60], 0xAB);  // CPIState entry 10 untouched
  EXPECT_EQ(stream[72584 + 54], 0);     // CPIState entry 9 cleared
  EXPECT_EQ(stream[82985], 0xAB);       // BREATH_SECOND untouched
}

TEST(FactoryProfile, PartialResetsDifferFromTheProfileValues) {
  TMOUSEPROFILEINFO p{};
  RestoreFactoryProfile(p);
  RestoreDefaultCPISetting(p);
  RestoreDefaultLightAndReportAdvancedSetting(p);
  const Bytes b = test::imageOf(p);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(test::u16At(b, 72560 + 2 * i), 0);  // UseDiffentXY
  EXPECT_EQ(test::i32At(b, 85048), 1);                                      // ApplyAccelaration
  EXPECT_EQ(b[82980], 0);                                                   // blue, not red
  EXPECT_EQ(b[82982], 255);
  EXPECT_EQ(test::u16At(b, 72584 + 18), 2500);
}

TEST(FactoryProfile, TestProfileHasTheKeyBitButton) {
  TMOUSEPROFILEINFO p;
  std::memset(&p, 0xCD, sizeof p);
  RestoreFactoryTestProfile(p);
  const Bytes b = test::imageOf(p);
  EXPECT_EQ(test::i32At(b, 82988), 6);
  const std::size_t e5 = kConfig + kEntry * 5;
  EXPECT_EQ(b[e5 + 3748], 0x20);
  EXPECT_EQ(b[e5 + 3749], 0);
  EXPECT_EQ(test::i32At(b, e5 + 3760), 19);
  EXPECT_EQ(test::u16At(b, e5 + 3754), 14);
  EXPECT_EQ(b[e5 + 3756], 11);
  EXPECT_EQ(test::i32At(b, kConfig + 3764), 0);  // no menu items in the test profile
  EXPECT_EQ(b[60], 0);                           // whole image zeroed first
}

TEST(FactoryGroupRecord, FiveFileSlotsInTheDocumentsFolder) {
  Bytes stream;
  FillRecordInStream<TProfileSettingGroup>(stream, [](TProfileSettingGroup& g) {
    ASSERT_TRUE(RestoreFactoryProfileSettingGroup(g, "/home/u/Documents/Tessaly Gaming Mouse"));
  });
  Bytes expected(30964, 0);
  put32(expected, 8, 1);  // group 1 starts on profile 1
  for (int i = 0; i < 5; ++i) {
    const std::size_t e = 12 + kSetting * i;
    const std::string n = std::to_string(i + 1);
    putWide(expected, e + 2, "/home/u/Documents/Tessaly Gaming Mouse");
    putWide(expected, e + 2050, "software\\QOR51GMMouse");
    putWide(expected, e + 4098, "QORProfile" + n + ".PFX");
    putWide(expected, e + 4140, "/home/u/Documents/Tessaly Gaming Mouse/ETProfile" + n + "_Macros");
    expected[e + 6188] = 1;
  }
  EXPECT_EQ(stream, expected);
}

TEST(FactoryGroupRecord, FolderTooLongIsRefusedAndLeavesTheRecord) {
  TProfileSettingGroup g{};
  g.CurrentProfileGroup = 1;
  EXPECT_FALSE(RestoreFactoryProfileSettingGroup(g, "/" + std::string(1100, 'x')));
  EXPECT_EQ(g.CurrentProfileGroup, 1);
  EXPECT_EQ(g.ProfileSettingList[0].FileName[0], u'\0');
}

TEST(FactoryAllProfilesRecord, OnlyTheFirstReservedWordIsSet) {
  Bytes stream(30960, 0);
  put32(stream, 30952, 3);     // CurrentGame
  putWide(stream, 2, "/old");  // a FilePath of entry 0
  FillRecordInStream<TALLGAMESINFO>(stream, RestoreFactoryAllGamesInfo);
  Bytes expected(30960, 0);
  expected[0] = 1;
  EXPECT_EQ(stream, expected);
}

}  // namespace
}  // namespace qor
