// SPDX-License-Identifier: GPL-2.0-or-later
#include "settings/button_assignment.h"

#include <algorithm>

#include "model/button_function_table.h"
#include "model/wide_text.h"
#include "protocol/key_code_table.h"
#include "protocol/standard_commands.h"

namespace qor {
namespace {

using namespace button_menu;

constexpr uint8_t kTypeMouse = 1, kTypeCombo = 3, kTypeMacro = 4, kTypeFire = 5, kTypeConsumer = 10;
constexpr int kComboRow = 5, kMacroRow = 27, kFireRow = 28, kDisableRow = 29;

void makeDisable(TBUTTONFUNCINFO& b) {
  b.MenuItemID = 0;
  b.FunctionIndex = kDisableRow;
  b.FunctionType = kTypeConsumer;
  b.FunctionCode = ButtonFunctionCode(kDisableRow);
  b.HidCodeInfo = {0, 0, 0};
}

int macroCount(const TMOUSEPROFILEINFO& p) {
  return std::min<int>(p.MacroKeyInfoList.nMacroInfoCount, kProfileMacroSlots);
}

bool sameName(const char16_t (&a)[kMacroNameUnits], const char16_t (&b)[kMacroNameUnits]) {
  return readWideField(a) == readWideField(b);
}

// Position of the first macro of the list named like `m`; -1 when none is.
int findMacroByName(const TMOUSEPROFILEINFO& p, const TMACROKEYINFO& m) {
  for (int j = 0; j < macroCount(p); ++j)
    if (sameName(p.MacroKeyInfoList.MacroInfos[j].szMacroName, m.szMacroName)) return j;
  return -1;
}

}  // namespace

const std::vector<ButtonMenuEntry>& ButtonMenuDefinition() {
  static const std::vector<ButtonMenuEntry> menu = {
      {kLeftClick, "Left Click", {}},
      {kRightClick, "Right Click", {}},
      {kMiddleButton, "Middle Button", {}},
      {kForward, "Forward", {}},
      {kBackward, "Backward", {}},
      {kComboKey, "Combo Key", {}},
      {kBasic,
       "Basic",
       {{701, "Cut", {}},
        {702, "Copy", {}},
        {703, "Paste", {}},
        {704, "Select All", {}},
        {705, "Find", {}},
        {706, "New", {}},
        {707, "Print", {}},
        {708, "Save", {}}}},
      {kAdvanced,
       "Advanced",
       {{801, "Switch Window", {}},
        {802, "Close Window", {}},
        {803, "Open Explorer", {}},
        {804, "Run", {}},
        {805, "Show Desktop", {}},
        {806, "Lock PC", {}}}},
      {kMedia,
       "Media",
       {{901, "Play/Pause", {}},
        {902, "Stop", {}},
        {903, "Previous", {}},
        {904, "Next", {}},
        {905, "Volume Up", {}},
        {906, "Volume Down", {}},
        {907, "Mute", {}}}},
      {kMacro, "Macro", {{kMacroManager, "Macro Manager", {}}}},
      {kFireKey, "Fire Key...", {}},
      {kDisable, "Disable", {}},
  };
  return menu;
}

int CountMacrosOnButtons(const TMOUSEPROFILEINFO& p) {
  std::vector<uint16_t> seen;
  for (int i = 0; i < kMacroCheckedButtons; ++i) {
    const TBUTTONFUNCINFO& b = p.ConfigInfo.ButtonFuncInfo[i];
    if (b.FunctionType == kTypeMacro &&
        std::find(seen.begin(), seen.end(), b.MacroInfo.nMacroIndex) == seen.end())
      seen.push_back(b.MacroInfo.nMacroIndex);
  }
  return static_cast<int>(seen.size());
}

ButtonChoice ApplyButtonMenuChoice(TMOUSEPROFILEINFO& p, int button, int32_t a,
                                   const ButtonChoiceDialogs& dialogs) {
  if (button < 0 || button >= kButtonEntries) return ButtonChoice::NotAChoice;
  TBUTTONFUNCINFO& entry = p.ConfigInfo.ButtonFuncInfo[button];
  TBUTTONFUNCINFO copy = entry;
  if (a >= kFirstMacro && a <= kLastMacro) {
    const int k = a % 100 - 2;
    if (k < 0 || k >= kProfileMacroSlots) return ButtonChoice::NotAChoice;
    const TBUTTONFUNCINFO backup = entry;
    copy.MenuItemID = a;
    copy.FunctionIndex = kMacroRow;
    copy.FunctionType = kTypeMacro;
    copy.MacroInfo = p.MacroKeyInfoList.MacroInfos[k];
    copy.MacroInfo.nMacroIndex = static_cast<uint16_t>(k);
    copy.FunctionCode = ButtonFunctionCode(kMacroRow);
    entry = copy;
    if (CountMacrosOnButtons(p) > kMaxMacrosOnButtons) {
      entry = backup;
      return ButtonChoice::TooManyMacros;
    }
    return ButtonChoice::Applied;
  }
  if (a >= kLeftClick && a <= kBackward) {
    copy.FunctionIndex = static_cast<uint16_t>(ButtonFunctionRowOfMenuItem(a));
    copy.FunctionType = kTypeMouse;
  } else if (a == kComboKey) {
    TCOMBOKEYINFO combo = copy.ComboKeyInfo;
    if (!dialogs.ComboKey || dialogs.ComboKey(combo) != 1) return ButtonChoice::Cancelled;
    copy.FunctionIndex = kComboRow;
    copy.FunctionType = kTypeCombo;
    copy.ComboKeyInfo = combo;
  } else if (a == kFireKey) {
    TFIREKEYINFO fire = copy.FireKeyInfo;
    if (fire.DelyValue == 0) {
      // The stored 32-bit speed and count are kept within what the dialog offers (1-255)
      // before they meet the 16-bit record, which would otherwise cut them to any value.
      fire.DelyValue = static_cast<uint16_t>(
          std::clamp<int64_t>(20 * int64_t(p.ConfigInfo.FireKeySpeed), 1, 255));
      fire.nLoopCount =
          static_cast<uint16_t>(std::clamp<int64_t>(p.ConfigInfo.FireKeyCount, 0, 255));
    }
    if (!dialogs.FireKey || dialogs.FireKey(fire) != 1) return ButtonChoice::Cancelled;
    copy.FunctionIndex = kFireRow;
    copy.FunctionType = kTypeFire;
    copy.FireKeyInfo = fire;
  } else if (a == kDisable) {
    copy.FunctionIndex = kDisableRow;
    copy.FunctionType = kTypeConsumer;
    copy.HidCodeInfo = {0, 0, 0};
  } else if (a >= kFirstEdit && a <= kLastEdit) {
    GetEditShortcut(a - kFirstEdit, copy.ComboKeyInfo);
    copy.FunctionType = kTypeCombo;
    copy.FunctionIndex = static_cast<uint16_t>(ButtonFunctionRowOfMenuItem(a));
  } else if (a >= kFirstWindows && a <= kLastWindows) {
    GetWindowsShortcut(a - kFirstWindows, copy.ComboKeyInfo);
    copy.FunctionType = kTypeCombo;
    copy.FunctionIndex = static_cast<uint16_t>(ButtonFunctionRowOfMenuItem(a));
  } else if (a >= kFirstMedia && a <= kLastMedia) {
    THID_CODE_INFO code{};
    GetConsumerCode(a - kFirstMedia, code);
    copy.HidCodeInfo = {code.nKeyValue1, code.nKeyValue2, 0};
    copy.FunctionType = kTypeConsumer;
    copy.FunctionIndex = static_cast<uint16_t>(ButtonFunctionRowOfMenuItem(a));
  } else {
    return ButtonChoice::NotAChoice;
  }
  copy.MenuItemID = a;
  copy.FunctionCode = ButtonFunctionCode(copy.FunctionIndex);
  entry = copy;
  return ButtonChoice::Applied;
}

void RebindMacroButtons(TMOUSEPROFILEINFO& p) {
  const int count = std::clamp<int32_t>(p.ConfigInfo.ButtonCount, 0, kButtonEntries);
  for (int i = 0; i < count; ++i) {
    TBUTTONFUNCINFO& b = p.ConfigInfo.ButtonFuncInfo[i];
    if (b.FunctionIndex != kMacroRow) continue;
    const int j = findMacroByName(p, b.MacroInfo);
    if (j < 0) {
      makeDisable(b);
      continue;
    }
    b.MacroInfo = p.MacroKeyInfoList.MacroInfos[j];
    b.MacroInfo.nMacroIndex = static_cast<uint16_t>(j);
    b.MenuItemID = kFirstMacro + j;
  }
}

std::string CombinationDescription(const TBUTTONFUNCINFO& entry) {
  if (entry.FunctionIndex != kComboRow) return {};
  const TCOMBOKEYINFO& c = entry.ComboKeyInfo;
  const std::string prefix = GetModifierText(static_cast<uint8_t>(c.nModifier));
  const std::string k1 = GetKeyDescriptionByVK(c.nKeyValue1, c.nKey1Extended);
  const std::string k2 = GetKeyDescriptionByVK(c.nKeyValue2, c.nKey2Extended);
  if (!k1.empty() && !k2.empty()) return "<" + prefix + k1 + "+" + k2 + ">";
  if (!k1.empty()) return "<" + prefix + k1 + ">";
  if (!k2.empty()) return "<+" + k2 + ">";
  return {};
}

std::string ButtonCaptionForID(int32_t a, const TMOUSEPROFILEINFO& p, const Translator& translate) {
  const auto& menu = ButtonMenuDefinition();
  auto topLevel = [&](int32_t id) -> const ButtonMenuEntry* {
    return id >= 1 && id <= static_cast<int32_t>(menu.size()) ? &menu[id - 1] : nullptr;
  };
  if (a >= 1 && a <= 99) {
    const ButtonMenuEntry* item = topLevel(a);
    return item ? translate(item->caption) : std::string();
  }
  if (a >= 100 && a <= 9999) {
    const int32_t parent = a / 100, n = a % 100;
    if (parent == kMacro && n >= 2) {
      const int k = n - 2;
      if (k >= macroCount(p)) return {};
      return translate("Macro") + "<" +
             readWideFieldUtf8(p.MacroKeyInfoList.MacroInfos[k].szMacroName) + ">";
    }
    const ButtonMenuEntry* item = topLevel(parent);
    if (!item || n < 1 || n > static_cast<int32_t>(item->subItems.size())) return {};
    return translate(item->subItems[n - 1].caption);
  }
  return {};  // no third level in this menu; 0 and below name nothing
}

std::string ButtonCaption(const TMOUSEPROFILEINFO& p, int button, const Translator& translate) {
  if (button < 0 || button >= kButtonEntries) return {};
  const TBUTTONFUNCINFO& b = p.ConfigInfo.ButtonFuncInfo[button];
  const int32_t id = b.MenuItemID != 0 ? b.MenuItemID : ButtonFunctionMenuItemID(b.FunctionIndex);
  if (id == kComboKey) {
    const std::string description = CombinationDescription(b);
    if (!description.empty()) {
      // Counted in characters, not bytes, so a translated key name is never split.
      const std::u16string units = toUtf16(description);
      return units.size() > 12 ? toUtf8(units.substr(0, 9)) + "..." : description;
    }
  }
  return ButtonCaptionForID(id, p, translate);
}

}  // namespace qor
