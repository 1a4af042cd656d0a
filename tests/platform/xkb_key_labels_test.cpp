// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/linux/evdev_keymap.h"
#include "platform/linux/xkb_key_labels.h"
#include "protocol/key_code_table.h"

namespace qor {
namespace {

TEST(XkbKeyLabels, NamesKeysAsTheLayoutPrintsThem) {
  struct Case {
    const char* layout;
    uint32_t vk;
    const char* label;  // "" : the table's description stays
  } cases[] = {
      {"us", 'Y', "Y"},   {"de", 'Y', "Z"},  {"de", 'Z', "Y"},
      {"de", 0xBA, "Ö"},  // the key right of L
      {"de", 0xC0, ""},   // ^ is a dead key: it types nothing alone
      {"fr", 'A', "Q"},   {"fr", 'Q', "A"},  {"fr", '1', "&"},
      {"fr", 0xBA, "M"},  {"jp", 0xDB, "@"},  // the key right of P
      {"jp", 0xC1, "\\"},                     // ro
      {"jp", 0xF4, "\\"},                     // yen
  };
  for (const Case& c : cases) {
    const auto labels = XkbKeyLabels({c.layout, ""});
    ASSERT_FALSE(labels.empty()) << c.layout;
    const auto found = labels.find({c.vk, false});
    EXPECT_EQ(found == labels.end() ? std::string() : found->second, c.label)
        << c.layout << " " << c.vk;
  }
  // Keys that type no character keep their names: Enter, the keypad, F1.
  const auto us = XkbKeyLabels({"us", ""});
  EXPECT_EQ(us.count({13, false}), 0u);
  EXPECT_EQ(us.count({0x60 + 1, false}), 0u);
  EXPECT_EQ(us.count({0x70, false}), 0u);
}

TEST(XkbKeyLabels, AnUnknownLayoutGivesNoLabels) {
  EXPECT_TRUE(XkbKeyLabels({"zz", ""}).empty());
  EXPECT_TRUE(XkbKeyLabels({"", ""}).empty());
  EXPECT_TRUE(XkbKeyLabels({"de", "no-such-variant"}).empty());
}

TEST(XkbKeyLabels, LabelsReplaceTheTablesNamesOnlyWhereGiven) {
  UseKeyLabels([](uint32_t vk, bool) { return vk == 'Y' ? std::string("Z") : std::string(); });
  EXPECT_EQ(GetKeyDescriptionByVK('Y', 0), "Z");
  EXPECT_EQ(GetKeyDescriptionByVK('A', 0), "A");
  EXPECT_EQ(GetKeyDescriptionByVK(400, 0), "");  // out of the table: still nothing
  UseKeyLabels({});
  EXPECT_EQ(GetKeyDescriptionByVK('Y', 0), "Y");
}

TEST(KeyboardLayout, TheSessionsLayoutFromItsSources) {
  EXPECT_EQ(
      LayoutFromKxkbrc("[Layout]\nDisplayNames=,\nLayoutList=de,us\nVariantList=nodeadkeys,\n"),
      (KeyboardLayoutName{"de", "nodeadkeys"}));
  EXPECT_EQ(LayoutFromKxkbrc("[Other]\nLayoutList=fr\n"), (KeyboardLayoutName{}));
  EXPECT_EQ(LayoutFromDefaultKeyboard("XKBMODEL=\"pc105\"\nXKBLAYOUT=\"fr,us\"\nXKBVARIANT=\"\"\n"),
            (KeyboardLayoutName{"fr", ""}));
  EXPECT_EQ(LayoutFromDefaultKeyboard(""), (KeyboardLayoutName{}));
  ::setenv("XKB_DEFAULT_LAYOUT", "jp,us", 1);
  ::setenv("XKB_DEFAULT_VARIANT", "kana", 1);
  EXPECT_EQ(SessionKeyboardLayout("/nonexistent"), (KeyboardLayoutName{"jp", "kana"}));
  ::unsetenv("XKB_DEFAULT_LAYOUT");
  ::unsetenv("XKB_DEFAULT_VARIANT");
}

TEST(EvdevKeyTable, TheKeysOfInternationalKeyboards) {
  struct Case {
    uint16_t code;
    uint8_t vk;
    int hid;
  } cases[] = {
      {85, 0xF3, 53},    // KEY_ZENKAKUHANKAKU: the grave position
      {89, 0xC1, 135},   // KEY_RO: International1
      {92, 0x1C, 138},   // KEY_HENKAN: International4
      {93, 0xF2, 136},   // KEY_KATAKANAHIRAGANA: International2
      {94, 0x1D, 139},   // KEY_MUHENKAN: International5
      {117, 0x92, 103},  // KEY_KPEQUAL: Keypad =
      {121, 0xC2, 133},  // KEY_KPCOMMA: Keypad Comma
      {122, 0x15, 144},  // KEY_HANGEUL: LANG1
      {123, 0x19, 145},  // KEY_HANJA: LANG2
      {124, 0xF4, 137},  // KEY_YEN: International3
      {86, 0xE2, 100},   // KEY_102ND: Non-US \ and |
  };
  for (const Case& c : cases) {
    const EvdevKeyMapping* row = FindEvdevKey(c.code);
    ASSERT_NE(row, nullptr) << c.code;
    EXPECT_EQ(row->vk, c.vk) << c.code;
    EXPECT_EQ(GetHIDCodeByVK(row->vk, row->extended), c.hid) << c.code;
  }
  const EvdevKeyMapping* sleep = FindEvdevKey(142);
  ASSERT_NE(sleep, nullptr);
  EXPECT_EQ(sleep->vk, 0x5F);
}

}  // namespace
}  // namespace qor
