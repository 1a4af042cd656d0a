// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "model/factory_defaults.h"
#include "model/wide_text.h"
#include "settings/button_assignment.h"

namespace qor {
namespace {

std::string same(const std::string& s) {
  return s;
}

TMOUSEPROFILEINFO profileWithMacros(int n) {
  TMOUSEPROFILEINFO p{};
  RestoreFactoryProfile(p);
  p.MacroKeyInfoList.nMacroInfoCount = uint16_t(n);
  for (int k = 0; k < n; ++k)
    writeWideFieldUtf8(p.MacroKeyInfoList.MacroInfos[k].szMacroName, "m" + std::to_string(k),
                       TextFit::Cut);
  return p;
}

const ButtonChoiceDialogs kNoDialogs{};

TEST(ButtonAssignment, ChoicesSetRowCodeTypeAndItem) {
  struct Case {
    int32_t id;
    int row, code, type;
  } cases[] = {
      {1, 0, 1, 1},     {4, 3, 5, 1},      {5, 4, 4, 1},     {702, 7, 15, 3},
      {806, 19, 15, 3}, {905, 24, 14, 10}, {12, 29, 14, 10},
  };
  for (const Case& c : cases) {
    TMOUSEPROFILEINFO p = profileWithMacros(0);
    ASSERT_EQ(ApplyButtonMenuChoice(p, 2, c.id, kNoDialogs), ButtonChoice::Applied) << c.id;
    const TBUTTONFUNCINFO& b = p.ConfigInfo.ButtonFuncInfo[2];
    EXPECT_EQ(b.FunctionIndex, c.row) << c.id;
    EXPECT_EQ(b.FunctionCode, c.code) << c.id;
    EXPECT_EQ(b.FunctionType, c.type) << c.id;
    EXPECT_EQ(b.MenuItemID, c.id);
    EXPECT_EQ(b.ButtonIndex, 2);  // untouched
  }
  TMOUSEPROFILEINFO p = profileWithMacros(0);
  ApplyButtonMenuChoice(p, 0, 702, kNoDialogs);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[0].ComboKeyInfo.nKeyValue1, 67);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[0].ComboKeyInfo.nModifier, 2);
  ApplyButtonMenuChoice(p, 0, 905, kNoDialogs);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[0].HidCodeInfo.nKeyValue1, 233);
  EXPECT_EQ(ApplyButtonMenuChoice(p, 0, 7, kNoDialogs), ButtonChoice::NotAChoice);
}

TEST(ButtonAssignment, DialogsStartFromTheEntryAndCanCancel) {
  TMOUSEPROFILEINFO p = profileWithMacros(0);
  TFIREKEYINFO offered{};
  ButtonChoiceDialogs dialogs;
  dialogs.FireKey = [&](TFIREKEYINFO& f) {
    offered = f;
    f.nLoopCount = 7;
    return 1;
  };
  ASSERT_EQ(ApplyButtonMenuChoice(p, 1, 11, dialogs), ButtonChoice::Applied);
  EXPECT_EQ(offered.DelyValue, 100);  // 20 x the factory fire key speed 5
  EXPECT_EQ(offered.nLoopCount, 2);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[1].FireKeyInfo.nLoopCount, 7);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[1].FunctionCode, 18);

  // Stored speeds and counts outside the dialog's 1-255 are offered at its ends, not cut to
  // 16 bits (20 x 3277 = 65540 would become 4).
  struct Case {
    int32_t speed, count;
    uint16_t delay, loops;
  } cases[] = {{3277, 300, 255, 255}, {-5, -1, 1, 0}, {12, 3, 240, 3}};
  for (const Case& c : cases) {
    TMOUSEPROFILEINFO q = profileWithMacros(0);
    q.ConfigInfo.FireKeySpeed = c.speed;
    q.ConfigInfo.FireKeyCount = c.count;
    ASSERT_EQ(ApplyButtonMenuChoice(q, 1, 11, dialogs), ButtonChoice::Applied);
    EXPECT_EQ(offered.DelyValue, c.delay) << c.speed;
    EXPECT_EQ(offered.nLoopCount, c.loops) << c.count;
  }

  const TBUTTONFUNCINFO before = p.ConfigInfo.ButtonFuncInfo[0];
  dialogs.ComboKey = [](TCOMBOKEYINFO& c) {
    c.nKeyValue1 = 65;
    return 2;
  };
  EXPECT_EQ(ApplyButtonMenuChoice(p, 0, 6, dialogs), ButtonChoice::Cancelled);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[0].FunctionCode, before.FunctionCode);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[0].ComboKeyInfo.nKeyValue1, 0);
}

TEST(ButtonAssignment, AtMostFiveDistinctMacros) {
  TMOUSEPROFILEINFO p = profileWithMacros(6);
  for (int b = 0; b < 5; ++b)
    ASSERT_EQ(ApplyButtonMenuChoice(p, b, 1002 + b, kNoDialogs), ButtonChoice::Applied);
  for (int b = 5; b < 9; ++b)  // the same macro again is fine
    ASSERT_EQ(ApplyButtonMenuChoice(p, b, 1002, kNoDialogs), ButtonChoice::Applied);
  const TBUTTONFUNCINFO before = p.ConfigInfo.ButtonFuncInfo[9];
  EXPECT_EQ(ApplyButtonMenuChoice(p, 9, 1007, kNoDialogs), ButtonChoice::TooManyMacros);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[9].FunctionCode, before.FunctionCode);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[3].MacroInfo.nMacroIndex, 3);
  EXPECT_EQ(readWideFieldUtf8(p.ConfigInfo.ButtonFuncInfo[3].MacroInfo.szMacroName), "m3");
}

TEST(ButtonAssignment, RebindFollowsRenamesAndDeletions) {
  TMOUSEPROFILEINFO p = profileWithMacros(3);
  ApplyButtonMenuChoice(p, 0, 1004, kNoDialogs);  // m2
  ApplyButtonMenuChoice(p, 1, 1003, kNoDialogs);  // m1
  // m0 deleted: m1, m2 move up; m1 renamed.
  p.MacroKeyInfoList.MacroInfos[0] = p.MacroKeyInfoList.MacroInfos[1];
  p.MacroKeyInfoList.MacroInfos[1] = p.MacroKeyInfoList.MacroInfos[2];
  writeWideFieldUtf8(p.MacroKeyInfoList.MacroInfos[0].szMacroName, "renamed", TextFit::Cut);
  p.MacroKeyInfoList.nMacroInfoCount = 2;
  RebindMacroButtons(p);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[0].MenuItemID, 1003);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[0].MacroInfo.nMacroIndex, 1);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[1].FunctionIndex, 29);  // its macro is gone
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[1].FunctionCode, 14);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[1].MenuItemID, 0);
}

TEST(ButtonAssignment, CaptionsAndCombinationText) {
  TMOUSEPROFILEINFO p = profileWithMacros(1);
  auto& b = p.ConfigInfo.ButtonFuncInfo;
  EXPECT_EQ(ButtonCaption(p, 3, same), "Forward");
  b[3].MenuItemID = 0;  // the row stands for the choice
  EXPECT_EQ(ButtonCaption(p, 3, same), "Forward");
  EXPECT_EQ(ButtonCaptionForID(702, p, same), "Copy");
  EXPECT_EQ(ButtonCaptionForID(1002, p, same), "Macro<m0>");
  EXPECT_EQ(ButtonCaptionForID(1003, p, same), "");
  EXPECT_EQ(ButtonCaptionForID(0, p, same), "");
  EXPECT_EQ(ButtonCaptionForID(-5, p, same), "");
  EXPECT_EQ(ButtonCaptionForID(1001, p, [](const std::string& s) { return "[" + s + "]"; }),
            "[Macro Manager]");

  b[0].FunctionIndex = 5;
  b[0].MenuItemID = 6;
  b[0].ComboKeyInfo = {67, 0, 0, 0, 2};
  EXPECT_EQ(CombinationDescription(b[0]), "<Ctrl+C>");
  EXPECT_EQ(ButtonCaption(p, 0, same), "<Ctrl+C>");
  b[0].ComboKeyInfo = {37, 1, 65, 0, 6};
  EXPECT_EQ(CombinationDescription(b[0]), "<Ctrl+Shift+LEFT ARROW+A>");
  EXPECT_EQ(ButtonCaption(p, 0, same), "<Ctrl+Shi...");
  b[0].ComboKeyInfo = {0, 0, 65, 0, 1};
  EXPECT_EQ(CombinationDescription(b[0]), "<+A>");
  b[0].ComboKeyInfo = {0, 0, 0, 0, 1};
  EXPECT_EQ(ButtonCaption(p, 0, same), "Combo Key");
}

}  // namespace
}  // namespace qor
