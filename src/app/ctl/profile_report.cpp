// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ctl/profile_report.h"

#include <algorithm>
#include <cstdio>

#include "model/wide_text.h"

namespace qor::ctl {
namespace {

using Members = ReportNode::Members;
using Items = ReportNode::Items;

// The parameters that count for the button's function code.
Members buttonParameters(const TBUTTONFUNCINFO& b) {
  switch (b.FunctionCode) {
    case 11:
    case 12:
      return {{"param", b.FunctionParam}};
    case 14:
      return {{"hid", Members{{"key1", unsigned{b.HidCodeInfo.nKeyValue1}},
                              {"key2", unsigned{b.HidCodeInfo.nKeyValue2}},
                              {"modifier", unsigned{b.HidCodeInfo.nModifier}}}}};
    case 15:
      return {{"combo", Members{{"key1", unsigned{b.ComboKeyInfo.nKeyValue1}},
                                {"key1Extended", unsigned{b.ComboKeyInfo.nKey1Extended}},
                                {"key2", unsigned{b.ComboKeyInfo.nKeyValue2}},
                                {"key2Extended", unsigned{b.ComboKeyInfo.nKey2Extended}},
                                {"modifier", unsigned{b.ComboKeyInfo.nModifier}}}}};
    case 16:
      return {{"key", unsigned{b.KeyValue}}, {"extended", unsigned{b.KeyExtended}}};
    case 17:
      return {{"macro", Members{{"index", unsigned{b.MacroInfo.nMacroIndex}},
                                {"name", readWideFieldUtf8(b.MacroInfo.szMacroName)}}}};
    case 18:
      return {{"fire", Members{{"count", unsigned{b.FireKeyInfo.nLoopCount}},
                               {"delayMs", unsigned{b.FireKeyInfo.DelyValue}}}}};
    case 19:
      return {{"bytes", Items{unsigned{b.FunctionBytes[0]}, unsigned{b.FunctionBytes[1]},
                              unsigned{b.FunctionBytes[2]}}}};
    default:
      return {};
  }
}

void appendJsonString(std::string& out, const std::string& s) {
  out += '"';
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

void appendJson(std::string& out, const ReportNode& n) {
  if (auto* i = std::get_if<int64_t>(&n.value)) {
    out += std::to_string(*i);
  } else if (auto* b = std::get_if<bool>(&n.value)) {
    out += *b ? "true" : "false";
  } else if (auto* s = std::get_if<std::string>(&n.value)) {
    appendJsonString(out, *s);
  } else if (auto* m = std::get_if<Members>(&n.value)) {
    out += '{';
    for (std::size_t k = 0; k < m->size(); ++k) {
      if (k) out += ',';
      appendJsonString(out, (*m)[k].first);
      out += ':';
      appendJson(out, (*m)[k].second);
    }
    out += '}';
  } else {
    const auto& items = std::get<Items>(n.value);
    out += '[';
    for (std::size_t k = 0; k < items.size(); ++k) {
      if (k) out += ',';
      appendJson(out, items[k]);
    }
    out += ']';
  }
}

}  // namespace

ReportNode ProfileReport(const TMOUSEPROFILEINFO& p, int slot) {
  const TMOUSECONFIGINFO& c = p.ConfigInfo;
  Items buttons;
  const int count = std::clamp(c.ButtonCount, 0, kButtonEntries);
  for (int i = 0; i < count; ++i) {
    const TBUTTONFUNCINFO& b = c.ButtonFuncInfo[i];
    Members m{{"button", i},
              {"code", b.FunctionCode},
              {"type", unsigned{b.FunctionType}},
              {"row", unsigned{b.FunctionIndex}},
              {"menuItemID", b.MenuItemID}};
    Members params = buttonParameters(b);
    m.insert(m.end(), params.begin(), params.end());
    buttons.emplace_back(std::move(m));
  }
  Items levels;
  for (int i = 0; i < 4; ++i)
    levels.emplace_back(Members{{"x", unsigned{c.CPIState[i].CPIX}},
                                {"y", unsigned{c.CPIState[i].CPIY}},
                                {"enabled", c.CPIState[i].Enabled != 0}});
  Items macros;
  const int macroCount = std::min<int>(p.MacroKeyInfoList.nMacroInfoCount, kProfileMacroSlots);
  for (int i = 0; i < macroCount; ++i)
    macros.emplace_back(readWideFieldUtf8(p.MacroKeyInfoList.MacroInfos[i].szMacroName));

  return Members{
      {"profile", slot + 1},
      {"version", p.ProfileHeader.FFileVersion},
      {"buttonCount", c.ButtonCount},
      {"buttons", std::move(buttons)},
      {"cpi", Members{{"levels", std::move(levels)},
                      {"current", c.CurrentCPIIndex},
                      {"levelCount", unsigned{c.CPILevel}}}},
      {"reportRate", unsigned{c.ReportRate}},
      {"led", Members{{"r", unsigned{c.LEDConfig.R}},
                      {"g", unsigned{c.LEDConfig.G}},
                      {"b", unsigned{c.LEDConfig.B}},
                      {"brightness", unsigned{c.LEDConfig.BRIGHT_LEVEL}},
                      {"breathing", unsigned{c.LEDConfig.BREATH_SPEED}}}},
      {"pointer", Members{{"speed", unsigned{c.PointerSpeed}},
                          {"acceleration", unsigned{c.PointerAcceleration}},
                          {"wheelLines", unsigned{c.VWheelSpeed}},
                          {"doubleClickMs", unsigned{c.DoubleClickSpeed}}}},
      {"macros", std::move(macros)},
  };
}

std::string ToJson(const ReportNode& node) {
  std::string out;
  appendJson(out, node);
  return out + "\n";
}

}  // namespace qor::ctl
