// SPDX-License-Identifier: GPL-2.0-or-later
// devices: the HID interfaces of this machine, and which of them is the mouse.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "app/ctl/ctl_commands.h"
#include "app/ctl/device_context.h"
#include "app/ctl/profile_report.h"
#include "device/hid_data.h"
#include "device/mouse_access.h"
#include "device/usage_pair.h"
#include "model/include_list.h"
#include "platform/atomic_file.h"
#include "platform/linux/system_hid_backend.h"
#include "platform/paths.h"

namespace qor::ctl {
namespace {

// The administrator's rule file: the package's 70-qorcfg51.rules keeps its own name, and a
// file of that name in /etc would hide it.
constexpr const char* kLocalRuleFile = "70-qorcfg51-local.rules";
constexpr const char* kAddMouseUsage = "qorcfg51-ctl add-mouse VID:PID";

std::string hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

bool isHidrawNode(const std::string& path) {
  return path.rfind("/dev/hidraw", 0) == 0;
}

void printAccessHelp(std::ostream& out) {
  out << "To let your user open a mouse, run\n    " << kAddMouseUsage
      << "\nwith the numbers lsusb prints for it (1a2b:3c4d): it lists the mouse for you and\n"
         "prints the udev rule line with the commands that install it, then\n"
         "    sudo udevadm control --reload\n"
         "and plug the mouse in again.\n";
}

// The files whose include lists count, for messages.
std::string includeListFiles() {
  std::string names;
  for (const auto& file : IncludeListFiles(paths::program()))
    names += (names.empty() ? "" : ", ") + file.string();
  return names;
}

ReportNode jsonOf(const std::vector<InterfaceSurvey>& survey) {
  ReportNode::Items interfaces;
  int mice = 0;
  for (const InterfaceSurvey& s : survey) {
    ReportNode::Items ids;
    for (const std::string& id : s.info.hardwareIds) ids.emplace_back(id);
    interfaces.emplace_back(ReportNode::Members{
        {"path", s.info.path},
        {"collection", unsigned{s.info.collection}},
        {"name", s.info.name},
        {"vendor", unsigned{s.vendor}},
        {"product", unsigned{s.product}},
        {"hardwareIds", std::move(ids)},
        {"usagePage", unsigned{s.info.usagePage}},
        {"usage", unsigned{s.info.usage}},
        {"inputReportLength", unsigned{s.info.inputReportByteLength}},
        {"outputReportLength", unsigned{s.info.outputReportByteLength}},
        {"featureReportLength", unsigned{s.info.featureReportByteLength}},
        {"opens", s.opens},
        {"openError", s.opens ? std::string() : std::string(std::strerror(s.error))},
        {"configuration", s.configuration},
        {"listed", s.listed},
        {"mouse", s.IsMouse()},
    });
    mice += s.IsMouse();
  }
  return ReportNode::Members{{"interfaces", std::move(interfaces)}, {"mice", mice}};
}

int runDevices(TDM&, const std::vector<std::string>& args, Output& io) {
  DeviceContext context = OpenDeviceContext();
  const std::vector<InterfaceSurvey> all =
      SurveyInterfaces(*context.backend, context.includeList, SurveyOpens::Every);
  // No mouse among them is exit status 3, as for every command.
  const bool found = std::any_of(all.begin(), all.end(), [](auto& s) { return s.IsMouse(); });
  if (!args.empty()) {  // --json
    io.out << ToJson(jsonOf(all));
    return found ? kExitOk : kExitNoMouse;
  }

  int mice = 0;
  bool denied = false;
  bool unlisted = false;  // a configuration collection that the include list leaves out
  for (const InterfaceSurvey& s : all) {
    const HidInterfaceInfo& i = s.info;
    io.out << i.path;
    // Several collections on one node share its path.
    std::size_t siblings = 0;
    for (const InterfaceSurvey& j : all) siblings += j.info.path == i.path;
    if (siblings > 1) io.out << ", collection " << i.collection + 1 << " of " << siblings;
    if (!i.name.empty()) io.out << "  \"" << i.name << "\"";
    io.out << "\n";
    for (const std::string& id : i.hardwareIds) io.out << "  hardware ID:    " << id << "\n";
    io.out << "  usage page:     " << hex4(i.usagePage) << ", usage " << hex4(i.usage) << "\n"
           << "  report lengths: input " << i.inputReportByteLength << ", output "
           << i.outputReportByteLength << ", feature " << i.featureReportByteLength << " bytes\n";
    io.out << "  access:         "
           << (s.opens ? std::string("read and write")
                       : std::string("cannot be opened: ") + std::strerror(s.error))
           << "\n";
    denied = denied || (!s.opens && s.error == EACCES && isHidrawNode(i.path));
    io.out << "  the mouse:      "
           << (!s.configuration ? "no"
               : s.listed       ? "yes, its configuration interface"
                          : "no: its configuration collection, but none of its hardware IDs is "
                            "in the include list of config.ini")
           << "\n\n";
    mice += s.IsMouse();
    unlisted = unlisted || (s.configuration && !s.listed);
  }

  if (all.empty())
    io.out << "No HID interface found: no /dev/hidraw node is visible and no qorcfg51-sim runs.\n";
  else if (mice == 0)
    io.out << "The mouse was not found: no interface has its configuration collection (usage page "
           << hex4(kMouseConfigUsage.UsagePage) << ", usage " << hex4(kMouseConfigUsage.Usage)
           << ") and a hardware ID from the include list of " << includeListFiles() << ".\n";
  else
    io.out << "The mouse's configuration interface" << (mice > 1 ? "s: " : ": ") << mice
           << " found.\n";
  if (unlisted)
    io.out << "To use an interface the include list leaves out, add it to " << ConfigFilePath()
           << " with\n    " << kAddMouseUsage << "\n";
  if (denied)
    io.out << "Some /dev/hidraw nodes cannot be opened: your user has no access to them.\n";
  if (const std::string advice = MouseAccessAdvice(all, ConfigFilePath()); !advice.empty())
    io.out << "\n" << advice << "\n";
  else if (mice == 0 || denied)
    printAccessHelp(io.out);
  return found ? kExitOk : kExitNoMouse;
}

// VID:PID as lsusb prints them (1a2b:3c4d): four hex digits each, nothing else (no sign, no
// 0x, no spaces).
std::optional<std::pair<uint16_t, uint16_t>> parseVendorProduct(const std::string& text) {
  if (text.size() != 9 || text[4] != ':') return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (i != 4 && !std::isxdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
  return std::pair{uint16_t(std::stoul(text.substr(0, 4), nullptr, 16)),
                   uint16_t(std::stoul(text.substr(5), nullptr, 16))};
}

// Changes `file` (created when missing, with its folder) as `change` says; a failure is
// reported.
bool changeFile(const std::filesystem::path& file,
                const std::function<std::string(std::string)>& change, Output& io) {
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  if (auto problem = rewriteTextFile(file, change)) {
    io.err << "qorcfg51-ctl add-mouse: " << *problem << "\n";
    return false;
  }
  return true;
}

struct AddMouseOptions {
  std::pair<uint16_t, uint16_t> mouse{};
  bool system = false;        // the machine's config.ini and rule file instead of the user's
  std::string config, rules;  // these files instead
};

std::optional<std::string> parseAddMouse(const std::vector<std::string>& args, AddMouseOptions& o) {
  bool haveMouse = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--config" || args[i] == "--rules") {
      if (i + 1 >= args.size()) return args[i] + " needs a file";
      (args[i] == "--config" ? o.config : o.rules) = args[i + 1];
      ++i;
    } else if (args[i] == "--system") {
      o.system = true;
    } else if (auto m = parseVendorProduct(args[i]); m && !haveMouse) {
      o.mouse = *m;
      haveMouse = true;
    } else {
      return "expects VID:PID as lsusb prints them (1a2b:3c4d), not \"" + args[i] + "\"";
    }
  }
  if (!haveMouse) return std::string("expects VID:PID as lsusb prints them (1a2b:3c4d)");
  return std::nullopt;
}

// Adds `entry` as the next idN= line of the include list in `file`, unless it is there.
bool addIncludeListEntry(const std::filesystem::path& file, const std::string& entry, Output& io) {
  IncludeListAddition addition;
  if (!changeFile(
          file,
          [&](std::string text) {
            addition = AddIncludeListEntry(std::move(text), entry);
            return addition.text;
          },
          io))
    return false;
  switch (addition.outcome) {
    case IncludeListAddition::Outcome::Added:
      io.out << "added to " << file.string() << "\n";
      return true;
    case IncludeListAddition::Outcome::AlreadyListed:
      io.out << "already in " << file.string() << "\n";
      return true;
    case IncludeListAddition::Outcome::Refused:
      break;
  }
  io.err << "qorcfg51-ctl add-mouse: " << file.string() << " " << addition.refusal
         << "; nothing was changed\n";
  return false;
}

bool addRuleLine(const std::filesystem::path& file, const std::string& rule, Output& io) {
  bool present = false;
  const bool done = changeFile(
      file,
      [&](std::string text) {
        // A line of its own, not a mention in a comment.
        present = ("\n" + text + "\n").find("\n" + rule + "\n") != std::string::npos;
        if (present) return text;
        if (!text.empty() && text.back() != '\n') text += "\n";
        return text + rule + "\n";
      },
      io);
  if (done) io.out << (present ? "already in " : "added to ") << file.string() << "\n";
  return done;
}

int runAddMouse(TDM&, const std::vector<std::string>& args, Output& io) {
  AddMouseOptions o;
  parseAddMouse(args, o);
  const auto [vendor, product] = o.mouse;
  // A connected mouse gives the exact entry of its settings interface.
  const std::vector<std::string> entries =
      ConnectedIncludeListEntries(SurveyInterfaces(*MakeSystemHidBackend(), {}), vendor, product);
  const std::string rule = UdevRuleLine(vendor, product);
  const std::filesystem::path config = !o.config.empty() ? std::filesystem::path(o.config)
                                       : o.system        ? paths::systemConfig() / "config.ini"
                                                         : paths::userConfig() / "config.ini";
  const std::filesystem::path localRules = paths::localUdevRules() / kLocalRuleFile;
  const std::filesystem::path rules = !o.rules.empty() ? std::filesystem::path(o.rules)
                                      : o.system       ? localRules
                                                       : std::filesystem::path();

  for (const std::string& entry : entries) {
    io.out << "include list entry ([IncludeHIDDeviceList] of config.ini):\n    " << entry << "\n";
    if (!addIncludeListEntry(config, entry, io)) return kExitFailed;
  }
  io.out << "udev rule line (read and write access for the user at the seat):\n    " << rule
         << "\n";
  if (!rules.empty()) {
    if (!addRuleLine(rules, rule, io)) return kExitFailed;
    io.out << "Then run:\n";
  } else {
    // Single quotes keep the rule's double quotes for the shell.
    io.out << "Install it (root is needed for this step only):\n    echo '" << rule
           << "' | sudo tee -a " << localRules.string() << "\n";
  }
  // An "add" event, unlike the default "change", is a device change to the running window and
  // monitor, so they read the include list again.
  io.out << "    sudo udevadm control --reload\n"
            "    sudo udevadm trigger --action=add --subsystem-match=hidraw\n"
            "or plug the mouse in again; a running qorcfg51 or corvnmon then takes the new "
            "entry.\n";
  return kExitOk;
}

}  // namespace

std::vector<Command> DeviceCommands() {
  return {
      {"devices", "[--json]", "list the HID interfaces and show which one is the mouse",
       "Lists every HID interface of this machine (the /dev/hidraw nodes, one entry per\n"
       "top-level collection, and running qorcfg51-sim virtual mice) with its hardware IDs,\n"
       "usage page and usage, report lengths and whether it can be opened, and tells which\n"
       "one is the mouse's configuration interface: usage page 0xFFA0, usage 0x0001, and a\n"
       "hardware ID from the include list of config.ini (any, when the list is empty).\n"
       "Nothing is sent to any device.\n"
       "--json prints one JSON object instead (field names are stable; see the README).",
       Access::Reads, OnlyJsonOption, runDevices},
      {"add-mouse", "VID:PID [--system] [--config FILE] [--rules FILE]",
       "add a mouse to your include list and print its udev rule",
       "Lets qorcfg51 use the mouse VID:PID (the numbers lsusb prints, 1a2b:3c4d): adds its\n"
       "include-list entry to your config.ini ($XDG_CONFIG_HOME/qorcfg51/config.ini) and\n"
       "prints the udev rule line that gives the user at the seat access, with the commands\n"
       "that install it. --system (as root) adds the entry to the machine's config.ini\n"
       "(/etc/qorcfg51, or $QORCFG51_SYSCONF_DIR) and the rule line to\n"
       "/etc/udev/rules.d/70-qorcfg51-local.rules (or $QORCFG51_UDEV_RULES_DIR) instead.\n"
       "--config FILE and --rules FILE write these files instead. Only the files named in the\n"
       "output are written; an entry or line already there is kept as it is.",
       Access::Reads,
       [](const std::vector<std::string>& a) {
         AddMouseOptions o;
         return parseAddMouse(a, o);
       },
       runAddMouse},
  };
}

}  // namespace qor::ctl
