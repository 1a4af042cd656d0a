// SPDX-License-Identifier: GPL-2.0-or-later
// set: the settings a script changes, with the rules of the settings windows.
#include <algorithm>
#include <functional>
#include <ostream>

#include "app/ctl/ctl_commands.h"
#include "app/ctl/setting_words.h"
#include "model/wide_text.h"
#include "platform/linux/desktop_pointer_settings.h"
#include "platform/paths.h"
#include "protocol/profile_blocks.h"
#include "settings/button_assignment.h"
#include "settings/cpi_levels.h"
#include "ui/language.h"
#include "ui/locale_table.h"

namespace qor::ctl {
namespace {

using Args = std::vector<std::string>;
using Lines = std::vector<Args>;

// The buttons of the mouse, entries 0 to 4; the entries after them are the mouse's own.
constexpr int kSettableButtons = 5;
// How a profile says "one page per wheel notch".
constexpr uint16_t kWheelPage = 30;

std::string text(int v) {
  return std::to_string(v);
}

struct Setting {
  const char* name;
  std::size_t minArgs, maxArgs;
  // Changes the current profile; throws Refused.
  std::function<void(TDM&, const Args&, Output&)> apply;
  // The values of `profile` as this setting takes them, one line of values each.
  std::function<Lines(const TDM&, const TMOUSEPROFILEINFO& profile)> current;
};

const std::vector<Setting>& settings() {
  static const std::vector<Setting> all = {
      {"rate", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         const int hz =
             WholeNumber(a[0], "the report rate", kReportRates.front().hz, kReportRates.back().hz);
         if (!IsReportRate(uint32_t(hz)))
           throw Refused{"the report rate is " + ReportRateNames() + " Hz"};
         dm.FCurrentProfileInfo.ConfigInfo.ReportRate = static_cast<uint16_t>(hz);
       },
       [](const TDM&, const TMOUSEPROFILEINFO& p) {
         return Lines{{text(p.ConfigInfo.ReportRate)}};
       }},
      {"cpi", 2, 3,
       [](TDM& dm, const Args& a, Output&) {
         const int level = WholeNumber(a[0], "the CPI level", 1, kEditableCPILevels) - 1;
         const int x = WholeNumber(a[1], "the CPI value", kMinCPI, kMaxCPI);
         const int y = a.size() > 2 ? WholeNumber(a[2], "the CPI value", kMinCPI, kMaxCPI) : x;
         TCPISTATE& s = dm.FCurrentProfileInfo.ConfigInfo.CPIState[level];
         s.CPIX = static_cast<uint16_t>(x);
         s.CPIY = static_cast<uint16_t>(y);
       },
       [](const TDM&, const TMOUSEPROFILEINFO& p) {
         Lines lines;
         for (int i = 0; i < kEditableCPILevels; ++i) {
           const TCPISTATE& s = p.ConfigInfo.CPIState[i];
           lines.push_back({text(i + 1), text(s.CPIX)});
           if (s.CPIY != s.CPIX) lines.back().push_back(text(s.CPIY));
         }
         return lines;
       }},
      {"cpi-enabled", 2, 2,
       [](TDM& dm, const Args& a, Output&) {
         const int level = WholeNumber(a[0], "the CPI level", 1, kEditableCPILevels) - 1;
         if (a[1] != "on" && a[1] != "off") throw Refused{"cpi-enabled takes on or off"};
         if (!SwitchCPILevel(dm.FCurrentProfileInfo, level, a[1] == "on"))
           throw Refused{"level " + a[0] +
                         " is the only CPI level that is on; one always stays on"};
       },
       [](const TDM&, const TMOUSEPROFILEINFO& p) {
         // The levels that are on first, so that read back in order none is refused as the
         // last one on.
         Lines lines;
         for (bool on : {true, false})
           for (int i = 0; i < kEditableCPILevels; ++i)
             if ((p.ConfigInfo.CPIState[i].Enabled == 1) == on)
               lines.push_back({text(i + 1), on ? "on" : "off"});
         return lines;
       }},
      {"led", 3, 3,
       [](TDM& dm, const Args& a, Output&) {
         TLEDCONFIG& led = dm.FCurrentProfileInfo.ConfigInfo.LEDConfig;
         led.R = static_cast<uint8_t>(WholeNumber(a[0], "red", 0, 255));
         led.G = static_cast<uint8_t>(WholeNumber(a[1], "green", 0, 255));
         led.B = static_cast<uint8_t>(WholeNumber(a[2], "blue", 0, 255));
       },
       [](const TDM&, const TMOUSEPROFILEINFO& p) {
         const TLEDCONFIG& led = p.ConfigInfo.LEDConfig;
         return Lines{{text(led.R), text(led.G), text(led.B)}};
       }},
      {"brightness", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         dm.FCurrentProfileInfo.ConfigInfo.LEDConfig.BRIGHT_LEVEL =
             static_cast<uint8_t>(WholeNumber(a[0], "the brightness", 0, 3));
       },
       [](const TDM&, const TMOUSEPROFILEINFO& p) {
         return Lines{{text(p.ConfigInfo.LEDConfig.BRIGHT_LEVEL)}};
       }},
      {"breathing", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         dm.FCurrentProfileInfo.ConfigInfo.LEDConfig.BREATH_SPEED =
             static_cast<uint8_t>(WholeNumber(a[0], "the breathing speed", 0, 3));
       },
       [](const TDM&, const TMOUSEPROFILEINFO& p) {
         return Lines{{text(p.ConfigInfo.LEDConfig.BREATH_SPEED)}};
       }},
      {"pointer-speed", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         dm.FCurrentProfileInfo.ConfigInfo.PointerSpeed =
             static_cast<uint16_t>(WholeNumber(a[0], "the pointer speed", 1, 20));
       },
       [](const TDM&, const TMOUSEPROFILEINFO& p) {
         return Lines{{text(p.ConfigInfo.PointerSpeed)}};
       }},
      {"acceleration", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         dm.FCurrentProfileInfo.ConfigInfo.PointerAcceleration =
             static_cast<uint16_t>(WholeNumber(a[0], "the acceleration preset", 0, 3));
       },
       [](const TDM&, const TMOUSEPROFILEINFO& p) {
         return Lines{{text(p.ConfigInfo.PointerAcceleration)}};
       }},
      {"wheel-lines", 1, 1,
       [](TDM& dm, const Args& a, Output&) {
         dm.FCurrentProfileInfo.ConfigInfo.VWheelSpeed =
             a[0] == "page"
                 ? kWheelPage
                 : static_cast<uint16_t>(WholeNumber(a[0], "the wheel lines (or page)", 1, 10));
       },
       [](const TDM&, const TMOUSEPROFILEINFO& p) {
         const uint16_t lines = p.ConfigInfo.VWheelSpeed;
         return Lines{{lines == kWheelPage ? std::string("page") : text(lines)}};
       }},
      {"double-click", 1, 1,
       [](TDM& dm, const Args& a, Output& io) {
         const int ms = WholeNumber(a[0], "the double-click time in ms", 200, 1200);
         dm.FCurrentProfileInfo.ConfigInfo.DoubleClickSpeed = static_cast<uint16_t>(ms);
         // Takes effect at once, as in the sensitivity window.
         auto desktop = MakeDesktopPointerSettings();
         const PointerSetResult handed = desktop->setDoubleClickTime(ms);
         if (handed.refused())
           io.err << "qorcfg51-ctl: the double-click time was not handed to the "
                  << desktop->desktop() << " desktop: " << handed.problem()
                  << "; it is kept in the profile\n";
         else if (!handed)
           io.err << "qorcfg51-ctl: note: the " << desktop->desktop()
                  << " desktop has no double-click setting; it is kept in the profile\n";
       },
       [](const TDM&, const TMOUSEPROFILEINFO& p) {
         return Lines{{text(p.ConfigInfo.DoubleClickSpeed)}};
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
       },
       [](const TDM& dm, const TMOUSEPROFILEINFO&) {
         const std::string id = StoredLanguage(dm);
         return id.empty() ? Lines{} : Lines{{id}};
       }},
      {"button", 2, 2,
       [](TDM& dm, const Args& a, Output&) {
         const int button = WholeNumber(a[0], "the button", 1, kSettableButtons) - 1;
         const ButtonFunction f = ParseButtonFunction(dm.FCurrentProfileInfo, a[1]);
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
       },
       [](const TDM&, const TMOUSEPROFILEINFO& p) {
         // An entry whose function no word names gets an empty word.
         Lines lines;
         for (int i = 0; i < kSettableButtons; ++i)
           lines.push_back({text(i + 1), ButtonFunctionWord(p.ConfigInfo.ButtonFuncInfo[i])});
         return lines;
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

// A value as a shell reads it back: quoted when it holds more than letters, digits and
// - + : . , _ /.
std::string shellWord(const std::string& value) {
  if (!value.empty() && value.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRS"
                                                "TUVWXYZ0123456789-+:.,_/") == std::string::npos)
    return value;
  std::string quoted = "'";
  for (char c : value) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::vector<std::string> SettingLines(const TDM& dm, const TMOUSEPROFILEINFO& profile) {
  std::vector<std::string> lines;
  for (const Setting& s : settings())
    for (const Args& values : s.current(dm, profile)) {
      std::string line = s.name;
      for (const std::string& v : values) line += " " + shellWord(v);
      const bool named = std::none_of(values.begin(), values.end(),
                                      [](const std::string& v) { return v.empty(); });
      lines.push_back(named ? line
                            : "# " + std::string(s.name) + " " + values[0] +
                                  ": a function no word of set names (see show --json)");
    }
  return lines;
}

namespace {

// The help of set; the report rates and the button functions come from their tables.
const std::string& setHelp() {
  static const std::string help = [] {
    // The function words, wrapped after commas into the column the descriptions start at.
    const std::string indent(26, ' ');
    std::string functions, line = "button 1-5; FUNCTION is";
    const std::string words = ButtonFunctionWordList();
    for (std::size_t at = 0; at < words.size();) {
      const std::size_t comma = words.find(", ", at);
      const std::size_t end = comma == std::string::npos ? words.size() : comma + 1;
      const std::string word = words.substr(at, end - at);
      if (line.size() + 1 + word.size() > 62) {
        functions += line + "\n" + indent;
        line = word;
      } else {
        line += " " + word;
      }
      at = end + 1;
    }
    return "Changes one setting of the current profile and saves all profiles (nothing is sent "
           "to\n"
           "the mouse; use apply for that). show prints a profile as such settings, one a line.\n"
           "Settings:\n"
           "  rate HZ                 report rate: " +
           ReportRateNames() +
           "\n"
           "  cpi LEVEL X [Y]         CPI level 1-4, values 250-3500 (Y defaults to X)\n"
           "  cpi-enabled LEVEL on|off  one level always stays on\n"
           "  led R G B               LED colour, 0-255 each\n"
           "  brightness 0-3          LED brightness (0 off)\n"
           "  breathing 0-3           LED breathing speed (0 off)\n"
           "  pointer-speed 1-20      desktop pointer speed\n"
           "  acceleration 0-3        pointer acceleration preset (0 none, 1 enhanced)\n"
           "  wheel-lines 1-10|page   lines per wheel notch\n"
           "  double-click MS         200-1200; also set on the desktop at once\n"
           "  language ID|NAME        the window's language from its next start: 0407, de,\n"
           "                          German, Deutsch (for all profiles)\n"
           "  button N FUNCTION       " +
           functions + line;
  }();
  return help;
}

}  // namespace

std::vector<Command> SetCommands() {
  return {
      {"set", "SETTING VALUE...", "change one setting of the current profile", setHelp().c_str(),
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
