// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/profile_blocks.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "model/wide_text.h"
#include "protocol/cpi_table.h"
#include "protocol/key_code_table.h"

namespace qor {
namespace {

constexpr uint8_t kMacroFunctionType = 4;
constexpr int kMacroImageButtons = 10;  // the macro image looks at the first ten entries

void warn(UploadWarnings* warnings, std::string text) {
  if (warnings) warnings->push_back(std::move(text));
}

int clampedCount(int32_t count, int max) {
  return std::clamp<int32_t>(count, 0, max);
}

// Whether a key's HID usage fits the one device byte it travels in; the browser and launch
// keys (Consumer usages past 255) do not, and are sent as 0.
bool usageFitsByte(uint32_t vk, int32_t extended) {
  return GetHIDCodeByVK(vk, extended) <= 255;
}

void warnKeyLeftOut(UploadWarnings* warnings, uint32_t vk, int32_t extended) {
  warn(warnings, "the key \"" + GetKeyDescriptionByVK(vk, extended) +
                     "\" cannot be sent to the mouse; it was left out");
}

uint8_t keyUsageByte(uint32_t vk, int32_t extended, UploadWarnings* warnings) {
  if (!usageFitsByte(vk, extended)) {
    warnKeyLeftOut(warnings, vk, extended);
    return 0;
  }
  return static_cast<uint8_t>(GetHIDCodeByVK(vk, extended));
}

// Distinct macro numbers in order of first appearance on entries [0, end); a macro's
// position is its device slot. Only the first five fit the device.
std::vector<uint16_t> macroSlotList(const TMOUSEPROFILEINFO& p, int end) {
  std::vector<uint16_t> list;
  for (int i = 0; i < end; ++i) {
    const TBUTTONFUNCINFO& b = p.ConfigInfo.ButtonFuncInfo[i];
    if (b.FunctionType != kMacroFunctionType) continue;
    if (std::find(list.begin(), list.end(), b.MacroInfo.nMacroIndex) == list.end())
      list.push_back(b.MacroInfo.nMacroIndex);
  }
  return list;
}

int slotOf(const std::vector<uint16_t>& list, uint16_t macroIndex) {
  auto it = std::find(list.begin(), list.end(), macroIndex);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

bool hasLoopAction(const TMACROKEYINFO& m) {
  return m.nLoopCount > 0 && clampedCount(m.MacroListCount, kMacroMaxActions) < kMacroMaxActions;
}

std::string macroName(const TMACROKEYINFO& m) {
  return readWideFieldUtf8(m.szMacroName);
}

}  // namespace

void PutInDeviceOrder(TMOUSEPROFILEINFO& profile) {
  std::swap(profile.ConfigInfo.ButtonFuncInfo[3], profile.ConfigInfo.ButtonFuncInfo[4]);
}

void BuildButtonTable(const TMOUSEPROFILEINFO& p, ButtonTable& out, UploadWarnings* warnings) {
  out.fill(0);
  // At most the 15 entries a profile has, whatever a damaged record says.
  const int count = clampedCount(p.ConfigInfo.ButtonCount, kButtonEntries);
  out[0] = static_cast<uint8_t>(count);
  const std::vector<uint16_t> slots = macroSlotList(p, count);
  for (int i = 0; i < count; ++i) {
    const TBUTTONFUNCINFO& b = p.ConfigInfo.ButtonFuncInfo[i];
    uint8_t* slot = &out[1 + 4 * i];
    slot[0] = static_cast<uint8_t>(b.FunctionCode);
    switch (b.FunctionCode) {
      case 11:
      case 12:
        slot[1] = static_cast<uint8_t>(b.FunctionParam);
        break;
      case 14:
        slot[2] = static_cast<uint8_t>(b.HidCodeInfo.nKeyValue1);
        slot[3] = static_cast<uint8_t>(b.HidCodeInfo.nKeyValue2);
        break;
      case 15:
        slot[1] = GetHIDModifierBits(static_cast<uint8_t>(b.ComboKeyInfo.nModifier));
        slot[2] = keyUsageByte(b.ComboKeyInfo.nKeyValue1, b.ComboKeyInfo.nKey1Extended, warnings);
        slot[3] = keyUsageByte(b.ComboKeyInfo.nKeyValue2, b.ComboKeyInfo.nKey2Extended, warnings);
        break;
      case 16:
        slot[2] = keyUsageByte(b.KeyValue, b.KeyExtended, warnings);
        break;
      case 17: {
        const int s = slotOf(slots, b.MacroInfo.nMacroIndex);
        if (s >= kMacroSlotCount) {
          // The mouse holds five macros; a slot number past them would play another one.
          warn(warnings, "button " + std::to_string(i + 1) + ": the macro \"" +
                             macroName(b.MacroInfo) +
                             "\" is a sixth macro and does not fit the mouse; the button was "
                             "sent without a function");
          std::memset(slot, 0, 4);
          break;
        }
        const int n = 3 * GetMacroDeviceLength(b.MacroInfo);
        slot[1] = static_cast<uint8_t>(std::max(s, 0));
        slot[2] = static_cast<uint8_t>(n & 0xFF);
        slot[3] = static_cast<uint8_t>(n >> 8);
        break;
      }
      case 18:
        slot[1] = static_cast<uint8_t>(b.FireKeyInfo.nLoopCount);
        slot[2] = static_cast<uint8_t>(b.FireKeyInfo.DelyValue & 0xFF);
        slot[3] = static_cast<uint8_t>(b.FireKeyInfo.DelyValue >> 8);
        break;
      case 19:
        std::copy(b.FunctionBytes, b.FunctionBytes + 3, slot + 1);
        break;
      default:
        break;
    }
  }
}

void BuildMacroImage(const TMOUSEPROFILEINFO& p, MacroImage& out, UploadWarnings* warnings) {
  out.fill(0);
  const std::vector<uint16_t> slots = macroSlotList(p, kMacroImageButtons);
  const TMACROKEYINFOLIST& list = p.MacroKeyInfoList;
  const int macros = clampedCount(list.nMacroInfoCount, kProfileMacroSlots);
  for (int k = 0; k < macros; ++k) {
    const TMACROKEYINFO& m = list.MacroInfos[k];
    const int s = slotOf(slots, m.nMacroIndex);
    if (s < 0 || s >= kMacroSlotCount) continue;
    const int actions = clampedCount(m.MacroListCount, kMacroMaxActions);
    if (m.nLoopCount > 0 && !hasLoopAction(m))
      warn(warnings, "the macro \"" + macroName(m) +
                         "\" has 128 actions and no room for its repeat count; it plays once");
    uint8_t* slot = &out[kMacroSlotSize * s];
    MacroAction a;
    for (int j = 0; j < actions; ++j) {
      const TMACROKEY& action = m.MacroList[j];
      if (action.nKeyType == 4 && action.nKeyState <= 1 &&
          !usageFitsByte(action.VALUE1, action.VALUE2))
        warnKeyLeftOut(warnings, action.VALUE1, action.VALUE2);
      EncodeMacroAction(action, a);
      std::copy(a.begin(), a.end(), slot + 3 * j);
    }
    if (hasLoopAction(m)) {
      EncodeMacroAction({7, 0, static_cast<uint8_t>(m.nLoopCount & 0xFF),
                         static_cast<uint8_t>(m.nLoopCount >> 8)},
                        a);
      std::copy(a.begin(), a.end(), slot + 3 * actions);
    }
    const int32_t length = 3 * GetMacroDeviceLength(m);
    std::memcpy(&out[kMacroImageLengths + 4 * s], &length, 4);
  }
}

void BuildLEDBlock(const TLEDCONFIG& led, LEDBlock& out) {
  out = {static_cast<uint8_t>(255 - led.G),
         static_cast<uint8_t>(255 - led.B),
         static_cast<uint8_t>(255 - led.R),
         led.BRIGHT_LEVEL,
         led.BREATH_SPEED,
         led.BREATH_SECOND};
}

void BuildCPIBlock(const TMOUSEPROFILEINFO& p, CPIBlock& out) {
  const TMOUSECONFIGINFO& c = p.ConfigInfo;
  out.fill(0);
  out[0] = static_cast<uint8_t>(c.CPILevel);
  out[1] = static_cast<uint8_t>(c.CurrentCPIIndex);
  for (int i = 0; i < kCPIBlockLevels; ++i) {
    const uint8_t code = GetCPICode(c.CPIState[i].CPIX, c.CPIState[i].CPIY);
    out[2 + 3 * i] = static_cast<uint8_t>(c.CPIState[i].Enabled);
    out[3 + 3 * i] = code;
    out[4 + 3 * i] = code;
  }
}

void EncodeMacroAction(const TMACROKEY& action, MacroAction& out) {
  out.fill(0);
  if (action.nKeyState > 1) return;
  out[0] = static_cast<uint8_t>(action.nKeyType + 128 * action.nKeyState);
  switch (action.nKeyType) {
    case 4:
      out[1] = keyUsageByte(action.VALUE1, action.VALUE2, nullptr);
      out[2] = action.VALUE2;
      break;
    case 6: {
      // Milliseconds to units of 10 ms, halves to the even neighbour.
      const uint32_t d = action.VALUE1 + 256u * action.VALUE2;
      uint32_t t = d / 10;
      const uint32_t r = d % 10;
      if (r > 5 || (r == 5 && (t & 1))) ++t;
      out[1] = static_cast<uint8_t>(t & 0xFF);
      out[2] = static_cast<uint8_t>(t >> 8);
      break;
    }
    default:
      out[1] = action.VALUE1;
      out[2] = action.VALUE2;
      break;
  }
}

int GetMacroDeviceLength(const TMACROKEYINFO& macro) {
  return clampedCount(macro.MacroListCount, kMacroMaxActions) + (hasLoopAction(macro) ? 1 : 0);
}

bool IsReportRate(uint32_t rate) {
  return std::any_of(kReportRates.begin(), kReportRates.end(),
                     [rate](const ReportRateCode& r) { return r.hz == rate; });
}

std::string ReportRateNames() {
  std::string names;
  for (std::size_t i = 0; i < kReportRates.size(); ++i) {
    if (i > 0) names += i + 1 == kReportRates.size() ? " or " : ", ";
    names += std::to_string(kReportRates[i].hz);
  }
  return names;
}

uint8_t GetReportRateCode(uint32_t rate, UploadWarnings* warnings) {
  for (const ReportRateCode& r : kReportRates)
    if (r.hz == rate) return r.code;
  warn(warnings, "the report rate " + std::to_string(rate) +
                     " Hz is not one the mouse offers; 500 Hz was sent");
  return GetReportRateCode(500);
}

uint8_t GetReportRateByte(uint32_t rate, UploadWarnings* warnings) {
  const uint8_t code = GetReportRateCode(rate, warnings);
  return static_cast<uint8_t>(code << 4 | code);
}

uint8_t WheelLEDByte(uint8_t value, bool on) {
  return uint8_t((on ? 0x80 : 0) | (value & 0x7F));
}

}  // namespace qor
