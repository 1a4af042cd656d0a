// SPDX-License-Identifier: GPL-2.0-or-later
// The words of set and show: what show writes for a button, set reads back to the same.
#include "settings/setting_words.h"

#include <gtest/gtest.h>

#include "model/wide_text.h"
#include "protocol/key_code_table.h"
#include "settings/button_assignment.h"

namespace qor {
namespace {

TBUTTONFUNCINFO comboEntry(const TCOMBOKEYINFO& combo) {
  TBUTTONFUNCINFO b{};
  b.MenuItemID = button_menu::kComboKey;
  b.FunctionIndex = 5;
  b.ComboKeyInfo = combo;
  return b;
}

TEST(SettingWords, EveryKeyOfACombinationReadsBackAsTheSameKey) {
  const TMOUSEPROFILEINFO profile{};
  int keys = 0;
  for (uint16_t extended : {0, 1}) {
    for (uint16_t vk = 1; vk < 256; ++vk) {
      const TKeyboardInfoTable* row = FindKeyRow(vk, extended);
      if (!row || row->HIDCode <= 0 || (extended && row->Extended != 225)) continue;
      ++keys;
      const TCOMBOKEYINFO combo{vk, extended, 0, 0, 2};
      const std::string word = ButtonFunctionWord(comboEntry(combo));
      ASSERT_EQ(word.rfind("combo:ctrl+", 0), 0u) << row->VKName << " extended " << extended;
      const ButtonFunction f = ParseButtonFunction(profile, word);
      EXPECT_EQ(f.id, button_menu::kComboKey);
      EXPECT_EQ(f.combo.nKeyValue1, vk) << word;
      EXPECT_EQ(f.combo.nKey1Extended, extended) << word;
      EXPECT_EQ(f.combo.nModifier, 2) << word;
    }
  }
  EXPECT_GT(keys, 100);
}

TEST(SettingWords, CombinationsAreWrittenInSetsWords) {
  struct Case {
    TCOMBOKEYINFO combo;
    const char* word;
  } cases[] = {
      {{0x43, 0, 0, 0, 2}, "combo:ctrl+c"},
      // Modifiers in one order whatever their bits; the Windows key as "win".
      {{0x41, 0, 0, 0, 1 | 2 | 4 | 8}, "combo:ctrl+shift+alt+win+a"},
      {{0x21, 1, 0x70, 0, 4}, "combo:shift+page-up+f1"},
      // Keys whose description names another key, or none, by their virtual-key name.
      {{0x0D, 1, 0, 0, 0}, "combo:enter"},
      {{0x0D, 0, 0, 0, 0}, "combo:vk_return"},
      {{0xBA, 0, 0, 0, 2}, "combo:ctrl+vk_oem_1"},
      {{0x6F, 1, 0, 0, 0}, "combo:vk_divide-ext"},
  };
  for (const Case& c : cases) EXPECT_EQ(ButtonFunctionWord(comboEntry(c.combo)), c.word);
}

TEST(SettingWords, TheStoredMenuEntryDecidesTheWord) {
  TMOUSEPROFILEINFO p{};
  p.MacroKeyInfoList.nMacroInfoCount = 2;
  writeWideField(p.MacroKeyInfoList.MacroInfos[1].szMacroName, u"Open door's 2", TextFit::Cut);
  ButtonChoiceDialogs answers;
  answers.ComboKey = [](TCOMBOKEYINFO& c) {
    c = {0x43, 0, 0, 0, 2};
    return 1;
  };
  answers.FireKey = [](TFIREKEYINFO& f) {
    f = {3, 120};
    return 1;
  };
  struct Case {
    int32_t id;
    const char* word;
  } cases[] = {
      {button_menu::kLeftClick, "left-click"},
      {button_menu::kMiddleButton, "middle-button"},
      // A shortcut holds ctrl+c as well; its menu entry names it.
      {702, "copy"},
      {button_menu::kComboKey, "combo:ctrl+c"},
      {805, "show-desktop"},
      {901, "media:play-pause"},
      {906, "media:volume-down"},
      {button_menu::kFireKey, "fire:3:120"},
      {button_menu::kFirstMacro + 1, "macro:Open door's 2"},
      {button_menu::kDisable, "disable"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(ApplyButtonMenuChoice(p, 2, c.id, answers), ButtonChoice::Applied) << c.word;
    EXPECT_EQ(ButtonFunctionWord(p.ConfigInfo.ButtonFuncInfo[2]), c.word);
    EXPECT_EQ(ParseButtonFunction(p, c.word).id, c.id) << c.word;
  }
  // An older profile without menu entries is named by its row.
  TBUTTONFUNCINFO byRow{};
  byRow.FunctionIndex = 21;
  EXPECT_EQ(ButtonFunctionWord(byRow), "media:stop");
  TBUTTONFUNCINFO unknown{};
  unknown.MenuItemID = 4711;
  EXPECT_EQ(ButtonFunctionWord(unknown), "");
}

TEST(SettingWords, RefusalsSayWhatToWrite) {
  const TMOUSEPROFILEINFO p{};
  struct Case {
    const char* word;
    const char* says;
  } cases[] = {
      {"ctrl+c", "for that key combination write combo:ctrl+c"},
      {"Shift+F5", "write combo:shift+f5"},
      {"media:copy", "see qorcfg51-ctl set --help"},
      {"combo:ctrl+nokey", "\"nokey\" is not a key name"},
      {"combo:", "\"\" is not a key name"},  // once stored as keypad "/"
      {"combo:ctrl+", "\"\" is not a key name"},
      {"fire:3", "fire:COUNT:DELAY"},
      {"macro:none", "no macro named \"none\""},
  };
  for (const Case& c : cases) {
    try {
      ParseButtonFunction(p, c.word);
      ADD_FAILURE() << c.word << " was taken";
    } catch (const Refused& r) {
      EXPECT_NE(r.why.find(c.says), std::string::npos) << c.word << ": " << r.why;
    }
  }
  // The media keys are also taken without their prefix.
  EXPECT_EQ(ParseButtonFunction(p, "mute").id, 907);
}

}  // namespace
}  // namespace qor
