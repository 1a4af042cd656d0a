// SPDX-License-Identifier: GPL-2.0-or-later
// set: the settings a script changes, with the rules of the settings windows.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <ostream>

#include "app/ctl/ctl_commands.h"
#include "model/wide_text.h"
#include "platform/linux/desktop_pointer_settings.h"
#include "platform/paths.h"
#include "protocol/key_code_table.h"
#include "settings/button_assignment.h"
#include "settings/cpi_levels.h"
#include "ui/language.h"
#include "ui/locale_table.h"

namespace qor::ctl {
namespace {

using Args = std::vector<std::string>;

// A refusal with the reason, for exit status 1.
struct Refused {
  std::string why;
};

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// An integer within [lo, hi]; refused otherwise, with the allowed range.
int number(const std::string& text, const std::string& what, int lo, int hi) {
  int v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi)
    throw Refused{what + " must be a whole number from " + std::to_string(lo) + " to " +
                  std::to_string(hi) + ", not \"" + text + "\""};
  return v;
}

// A menu caption as the user types it: lower case, words joined by '-' ("Volume Up" ->
// "volume-up", "Play/Pause" -> "play-pause").
std::string slug(const std::string& caption) {
  std::string s;
  for (unsigned char c : caption) {
    if (std::isalnum(c))
      s.push_back(static_cast<char>(std::tolower(c)));
    else if (!s.empty() && s.back() != '-')
      s.push_back('-');
  }
  while (!s.empty() && s.back() == '-') s.pop_back();
  return s;
}

// Virtual key and extended flag by the key's description ("a", "f5", "page-up", "enter");
// the separate navigation keys win over their keypad twins.
std::optional<std::pair<uint16_t, uint16_t>> keyByName(const std::string& name) {
  static const std::map<std::string, std::string> aliases = {
      {"space", "spacebar"},  {"escape", "esc"},      {"delete", "del"},        {"insert", "ins"},
      {"return", "enter"},    {"left", "left-arrow"}, {"right", "right-arrow"}, {"up", "up-arrow"},
      {"down", "down-arrow"}, {"pgup", "page-up"},    {"pgdn", "page-down"}};
  auto alias = aliases.find(name);
  const std::string wanted = alias == aliases.end() ? name : alias->second;
  for (int32_t extended : {1, 0}) {
    for (uint32_t vk = 1; vk < 256; ++vk) {
      const TKeyboardInfoTable* row = FindKeyRow(vk, extended);
      if (!row || row->HIDCode <= 0 || slug(row->KeyDescription) != wanted) continue;
      if (extended == 1 && row->Extended != 225) continue;
      return std::pair{static_cast<uint16_t>(vk), static_cast<uint16_t>(row->Extended == 225)};
    }
  }
  return std::nullopt;
}

// "ctrl+shift+a": modifier flags (1 Alt, 2 Ctrl, 4 Shift, 8 Windows) and up to two keys.
TCOMBOKEYINFO parseCombination(const std::string& text) {
  TCOMBOKEYINFO c{};
  int keys = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t plus = text.find('+', start);
    const std::string part =
        text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    start = plus == std::string::npos ? text.size() + 1 : plus + 1;
    static const std::map<std::string, uint16_t> modifiers = {
        {"alt", 1}, {"ctrl", 2}, {"control", 2}, {"shift", 4}, {"win", 8}, {"super", 8}};
    if (auto m = modifiers.find(part); m != modifiers.end()) {
      c.nModifier |= m->second;
      continue;
    }
    auto key = keyByName(part);
    if (!key) throw Refused{"\"" + part + "\" is not a key name (try a, f5, enter, page-up, left)"};
    if (++keys > 2) throw Refused{"a combination holds at most two keys besides the modifiers"};
    (keys == 1 ? c.nKeyValue1 : c.nKeyValue2) = key->first;
    (keys == 1 ? c.nKey1Extended : c.nKey2Extended) = key->second;
  }
  if (keys == 0) throw Refused{"a combination needs a key, for example combo:ctrl+shift+a"};
  return c;
}

// The menu item a FUNCTION names, with what its dialog would have returned.
struct ButtonFunction {
  int32_t id = 0;
  TCOMBOKEYINFO combo{};
  TFIREKEYINFO fire{};
};

ButtonFunction parseButtonFunction(const TMOUSEPROFILEINFO& p, const std::string& text) {
  ButtonFunction f;
  const std::string name = lower(text);
  if (name.rfind("combo:", 0) == 0) {
    f.id = button_menu::kComboKey;
    f.combo = parseCombination(name.substr(6));
    return f;
  }
  if (name.rfind("fire:", 0) == 0) {
    const std::string rest = name.substr(5);
    const std::size_t colon = rest.find(':');
    if (colon == std::string::npos)
      throw Refused{"a fire key is fire:COUNT:DELAY, for example fire:3:100"};
    f.id = button_menu::kFireKey;
    f.fire.nLoopCount =
        static_cast<uint16_t>(number(rest.substr(0, colon), "the repeat count", 1, 255));
    f.fire.DelyValue =
        static_cast<uint16_t>(number(rest.substr(colon + 1), "the delay in ms", 1, 65535));
    return f;
  }
  if (text.rfind("macro:", 0) == 0) {
    const std::u16string wanted = toUtf16(text.substr(6));
    const int count = std::min<int>(p.MacroKeyInfoList.nMacroInfoCount, kProfileMacroSlots);
    for (int k = 0; k < count; ++k)
      if (readWideField(p.MacroKeyInfoList.MacroInfos[k].szMacroName) == wanted) {
        f.id = button_menu::kFirstMacro + k;
        return f;
      }
    throw Refused{"the profile has no macro named \"" + text.substr(6) + "\""};
  }
  const std::string wanted = name.rfind("media:", 0) == 0 ? name.substr(6) : name;
  for (const ButtonMenuEntry& top : ButtonMenuDefinition()) {
    if (top.subItems.empty() && top.id != button_menu::kComboKey &&
        top.id != button_menu::kFireKey && slug(top.caption) == wanted) {
      f.id = top.id;
      return f;
    }
    if (top.id == button_menu::kMacro) continue;
    for (const ButtonMenuEntry& sub : top.subItems)
      if (slug(sub.caption) == wanted) {
        f.id = sub.id;
        return f;
      }
  }
  throw Refused{"\"" + text + "\" is not a button function; see qorcfg51-ctl set --help"};
}

struct Setting {
  const char* name;
  std::size_t minArgs, maxArgs;
  // Changes the current profile; throws Refused.
  std::function<void(TDM&, const Args&, Output&)> apply;
};

const std::vector<Setting>& settings() {
  static const std::vector<Setting> all = {
      {"rate", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         const int hz = number(a[0], "the report rate", 125, 1000);
         if (hz != 125 && hz != 250 && hz != 500 && hz != 1000)
           throw Refused{"the report rate is 125, 250, 500 or 1000 Hz"};
         dm.FCurrentProfileInfo.ConfigInfo.ReportRate = static_cast<uint16_t>(hz);
       }},
      {"cpi", 2, 3,
       [](TDM& dm, const Args& a, Output&) {
         const int level = number(a[0], "the CPI level", 1, kEditableCPILevels) - 1;
         const int x = number(a[1], "the CPI value", kMinCPI, kMaxCPI);
         const int y = a.size() > 2 ? number(a[2], "the CPI value", kMinCPI, kMaxCPI) : x;
         TCPISTATE& s = dm.FCurrentProfileInfo.ConfigInfo.CPIState[level];
         s.CPIX = static_cast<uint16_t>(x);
         s.CPIY = static_cast<uint16_t>(y);
       }},
      {"cpi-enabled", 2, 2,
       [](TDM& dm, const Args& a, Output&) {
         const int level = number(a[0], "the CPI level", 1, kEditableCPILevels) - 1;
         if (a[1] != "on" && a[1] != "off") throw Refused{"cpi-enabled takes on or off"};
         if (!SwitchCPILevel(dm.FCurrentProfileInfo, level, a[1] == "on"))
           throw Refused{"level " + a[0] +
                         " is the only CPI level that is on; one always stays on"};
       }},
      {"led", 3, 3,
       [](TDM& dm, const Args& a, Output&) {
         TLEDCONFIG& led = dm.FCurrentProfileInfo.ConfigInfo.LEDConfig;
         led.R = static_cast<uint8_t>(number(a[0], "red", 0, 255));
         led.G = static_cast<uint8_t>(number(a[1], "green", 0, 255));
         led.B = static_cast<uint8_t>(number(a[2], "blue", 0, 255));
       }},
      {"brightness", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         dm.FCurrentProfileInfo.ConfigInfo.LEDConfig.BRIGHT_LEVEL =
             static_cast<uint8_t>(number(a[0], "the brightness", 0, 3));
       }},
      {"breathing", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         dm.FCurrentProfileInfo.ConfigInfo.LEDConfig.BREATH_SPEED =
             static_cast<uint8_t>(number(a[0], "the breathing speed", 0, 3));
       }},
      {"pointer-speed", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         dm.FCurrentProfileInfo.ConfigInfo.PointerSpeed =
             static_cast<uint16_t>(number(a[0], "the pointer speed", 1, 20));
       }},
      {"acceleration", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         dm.FCurrentProfileInfo.ConfigInfo.PointerAcceleration =
             static_cast<uint16_t>(number(a[0], "the acceleration preset", 0, 3));
       }},
      {"wheel-lines", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         // 30 is how a profile says "one page per notch".
         dm.FCurrentProfileInfo.ConfigInfo.VWheelSpeed =
             a[0] == "page"
                 ? 30
                 : static_cast<uint16_t>(number(a[0], "the wheel lines (or page)", 1, 10));
       }},
      {"double-click", 1, 1,
       [](TDM& dm, const Args& a, Output& io) {
         const int ms = number(a[0], "the double-click time in ms", 200, 1200);
         dm.FCurrentProfileInfo.ConfigInfo.DoubleClickSpeed = static_cast<uint16_t>(ms);
         // Takes effect at once, as in the sensitivity window.
         auto desktop = MakeDesktopPointerSettings();
         if (!desktop->setDoubleClickTime(ms))
           io.err << "qorcfg51-ctl: note: the " << desktop->desktop()
                  << " desktop has no double-click setting; it is kept in the profile\n";
       }},
      {"language", 1, 1,
       [](TDM& dm, const Args& a, Output& io) {
         const InstalledLanguages installed(paths::program(), SystemLocaleName());
         const TuiLanguage& languages = installed.List();
         const int index = FindLanguage(languages, a[0]);
         if (index < 0) {
           std::string known;
           for (const LanguageEntry& l : languages.Resources())
             known += (known.empty() ? "" : ", ") + toUtf8(l.shortID);
           throw Refused{"\"" + a[0] + "\" is not a language of this installation (" +
                         (known.empty() ? std::string("none") : known) + ")"};
         }
         dm.FAllProfileSettingInfo.CurrentLanguage = index;
         // The language lives in the all-profiles record, which the profile saves leave out.
         if (!dm.SaveBackAllProfileSettingInfo()) throw Refused{"the language was not saved"};
         io.out << "language " << toUtf8(languages.GetLanguageShortIDByIndex(index))
                << " from the next start of qorcfg51\n";
       }},
      {"button", 2, 2,
       [](TDM& dm, const Args& a, Output&) {
         const int button = number(a[0], "the button", 1, 5) - 1;
         const ButtonFunction f = parseButtonFunction(dm.FCurrentProfileInfo, a[1]);
         ButtonChoiceDialogs answers;
         answers.ComboKey = [&](TCOMBOKEYINFO& c) {
           c = f.combo;
           return 1;
         };
         answers.FireKey = [&](TFIREKEYINFO& fire) {
           fire = f.fire;
           return 1;
         };
         switch (ApplyButtonMenuChoice(dm.FCurrentProfileInfo, button, f.id, answers)) {
           case ButtonChoice::Applied:
             return;
           case ButtonChoice::TooManyMacros:
             throw Refused{std::string(kTooManyMacrosText) +
                           " (the first ten buttons hold five macros already)"};
           default:
             throw Refused{"\"" + a[1] + "\" cannot be put on a button"};
         }
       }},
  };
  return all;
}

const Setting* findSetting(const std::string& name) {
  for (const Setting& s : settings())
    if (name == s.name) return &s;
  return nullptr;
}

int runSet(TDM& dm, const Args& args, Output& io) {
  const Setting* s = findSetting(args[0]);
  const Args values(args.begin() + 1, args.end());
  try {
    s->apply(dm, values, io);
  } catch (const Refused& r) {
    io.err << "qorcfg51-ctl set " << args[0] << ": " << r.why << "\n";
    return kExitFailed;
  }
  dm.SaveBackToCurrentProfileInfo();
  io.out << "profile " << dm.FProfileIndex + 1 << ": " << args[0] << " set\n";
  return kExitOk;
}

}  // namespace

std::vector<Command> SetCommands() {
  return {
      {"set", "SETTING VALUE...", "change one setting of the current profile",
       "Changes one setting of the current profile and saves all profiles (nothing is sent to\n"
       "the mouse; use apply for that). Settings:\n"
       "  rate HZ                 report rate: 125, 250, 500 or 1000\n"
       "  cpi LEVEL X [Y]         CPI level 1-4, values 250-3500 (Y defaults to X)\n"
       "  cpi-enabled LEVEL on|off  one level always stays on\n"
       "  led R G B               LED colour, 0-255 each\n"
       "  brightness 0-3          LED brightness (0 off)\n"
       "  breathing 0-3           LED breathing speed (0 off)\n"
       "  pointer-speed 1-20      desktop pointer speed\n"
       "  acceleration 0-3        pointer acceleration preset (0 none, 1 enhanced)\n"
       "  wheel-lines 1-10|page   lines per wheel notch\n"
       "  double-click MS         200-1200; also set on the desktop at once\n"
       "  language ID|NAME        the window's language from its next start: 0407, German,\n"
       "                          Deutsch (for all profiles)\n"
       "  button N FUNCTION       button 1-5; FUNCTION is left-click, right-click,\n"
       "                          middle-button, forward, backward, cut, copy, paste,\n"
       "                          select-all, find, new, print, save, switch-window,\n"
       "                          close-window, open-explorer, run, show-desktop, lock-pc,\n"
       "                          media:play-pause|stop|previous|next|volume-up|volume-down|mute,\n"
       "                          combo:ctrl+shift+a, fire:COUNT:DELAY, macro:NAME, disable",
       Access::Changes,
       [](const Args& a) -> std::optional<std::string> {
         if (a.empty()) return std::string("expects a setting; see qorcfg51-ctl set --help");
         const Setting* s = findSetting(a[0]);
         if (!s) return "\"" + a[0] + "\" is not a setting; see qorcfg51-ctl set --help";
         const std::size_t n = a.size() - 1;
         if (n < s->minArgs || n > s->maxArgs)
           return std::string(s->name) + " takes " + std::to_string(s->minArgs) +
                  (s->maxArgs > s->minArgs ? " or " + std::to_string(s->maxArgs) : "") +
                  " value(s)";
         return std::nullopt;
       },
       runSet, true},
  };
}

}  // namespace qor::ctl
