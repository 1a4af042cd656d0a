// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "protocol/key_code_table.h"
#include "protocol/standard_commands.h"

namespace qor {
namespace {

TEST(KeyCodeTable, HidCodesByFlag) {
  struct Case {
    uint32_t vk;
    int32_t extended;
    int32_t hid;
  } cases[] = {
      {13, 224, 40}, {13, 225, 88}, {13, 0, 40},   {13, 1, 88},    // Enter: keypad vs main
      {37, 0, 92},   {37, 1, 80},   {45, 0, 98},   {45, 1, 73},    // arrows, insert
      {91, 0, 227},  {91, 1, 227},  {163, 0, 228}, {163, 1, 228},  // extended by nature
      {65, 0, 4},    {65, 1, 0},    {65, 7, 0},                    // "A" has no extended row
      {16, 0, 0},    {300, 0, 0},   {299, 0, 0},   {255, 1, 76},   // none, out of range, power
      {179, 1, 205}, {181, 1, 387}, {226, 0, 100}, {192, 0, 53},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetHIDCodeByVK(c.vk, c.extended), c.hid) << c.vk << "/" << c.extended;
}

TEST(KeyCodeTable, Descriptions) {
  struct Case {
    uint32_t vk;
    int32_t extended;
    const char* text;
  } cases[] = {
      {200, 0, "UNDEFINED_0C8"},
      {184, 0, "UNDEFINED_0B8"},
      {5, 0, "Undefined"},
      {110, 0, "Decimal"},
      {46, 0, "Keypad DEL"},
      {46, 1, "DEL"},
      {220, 0, "\\|"},
      {222, 0, "'\""},
      {0, 0, ""},
      {300, 0, ""},
      {65, 7, "UNDEFINED_041"},
      {224, 0, "Undefined"},
  };
  for (const Case& c : cases) EXPECT_EQ(GetKeyDescriptionByVK(c.vk, c.extended), c.text) << c.vk;
  EXPECT_EQ(FindKeyRow(5, 0)->VKName, "VK_UNDEFINED_05");
  EXPECT_EQ(FindKeyRow(184, 0)->VKName, "VK_UNDEFINED_0B8");
  EXPECT_EQ(FindKeyRow(65, 7)->Extended, 225);
  EXPECT_EQ(FindKeyRow(186, 0)->ScanCode, 39);
}

TEST(KeyCodeTable, Modifiers) {
  EXPECT_EQ(GetModifierText(15), "Alt+Ctrl+Shift+WIN+");
  EXPECT_EQ(GetModifierText(0), "");
  EXPECT_EQ(GetModifierText(6), "Ctrl+Shift+");
  EXPECT_EQ(GetHIDModifierBits(2), 1);
  EXPECT_EQ(GetHIDModifierBits(1), 4);
  EXPECT_EQ(GetHIDModifierBits(12), 10);
  EXPECT_EQ(GetHIDModifierBits(0xF0), 0);
}

TEST(KeyCodeTable, FirstUseFromManyThreadsBuildsOneTable) {
  std::vector<std::thread> threads;
  std::vector<int32_t> codes(8);
  for (int i = 0; i < 8; ++i) threads.emplace_back([&, i] { codes[i] = GetHIDCodeByVK(88, 0); });
  for (auto& t : threads) t.join();
  for (int32_t c : codes) EXPECT_EQ(c, 27);
}

TEST(StandardCommands, Rows) {
  TCOMBOKEYINFO k{1, 1, 1, 1, 1};
  GetEditShortcut(0, k);
  EXPECT_EQ(k.nModifier, 2);
  EXPECT_EQ(k.nKeyValue1, 88);
  EXPECT_EQ(k.nKey1Extended + k.nKeyValue2 + k.nKey2Extended, 0);
  GetWindowsShortcut(5, k);
  EXPECT_EQ(k.nModifier, 8);
  EXPECT_EQ(k.nKeyValue1, 76);
  GetWindowsShortcut(1, k);
  EXPECT_EQ(k.nModifier, 1);
  EXPECT_EQ(k.nKeyValue1, 115);
  GetEditShortcut(8, k);  // inside the table, never set
  EXPECT_EQ(k.nKeyValue1 + k.nModifier, 0);
  TCOMBOKEYINFO kept{7, 7, 7, 7, 7};
  GetEditShortcut(50, kept);
  GetEditShortcut(-1, kept);
  EXPECT_EQ(kept.nKeyValue1, 7);
  const uint16_t media[] = {205, 183, 182, 181, 233, 234, 226, 387};
  for (int row = 0; row < 8; ++row) {
    THID_CODE_INFO h{9, 9, 9};
    GetConsumerCode(row, h);
    EXPECT_EQ(h.nKeyValue1, media[row]) << row;
    EXPECT_EQ(h.nKeyValue2, 0);
    EXPECT_EQ(h.nModifier, 0);
  }
}

}  // namespace
}  // namespace qor
