// devices: the HID interfaces of this machine, and which of them is the mouse.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>

#include "app/ctl/ctl_commands.h"
#include "device/hid_data.h"
#include "device/usage_pair.h"
#include "model/settings_file.h"
#include "platform/linux/system_hid_backend.h"
#include "platform/paths.h"

namespace qor::ctl {
namespace {

constexpr const char* kRuleFile = "70-qorcfg51.rules";

std::string hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

bool isHidrawNode(const std::string& path) {
  return path.rfind("/dev/hidraw", 0) == 0;
}

void printAccessHelp(std::ostream& out) {
  out << "To let your user open the mouse: install the udev rule " << kRuleFile
      << " that comes with qorcfg51\n"
         "(the installation puts it into lib/udev/rules.d under its prefix; copy it to\n"
         "/etc/udev/rules.d otherwise), then run\n"
         "    sudo udevadm control --reload\n"
         "and plug the mouse in again.\n";
}

int runDevices(TDM&, const std::vector<std::string>&, Output& io) {
  const std::filesystem::path config = paths::program() / "config.ini";
  const std::vector<std::string> include = ReadIncludeHIDDeviceList(SettingsFile::load(config));
  const std::unique_ptr<HidBackend> backend = MakeSystemHidBackend();
  const std::vector<HidInterfaceInfo> all = backend->enumerate();

  int mice = 0;
  bool denied = false;
  bool unlisted = false;  // a configuration collection that the include list leaves out
  for (const HidInterfaceInfo& i : all) {
    io.out << i.path;
    // Several collections on one node share its path.
    std::size_t siblings = 0;
    for (const HidInterfaceInfo& j : all) siblings += j.path == i.path;
    if (siblings > 1) io.out << ", collection " << i.collection + 1 << " of " << siblings;
    if (!i.name.empty()) io.out << "  \"" << i.name << "\"";
    io.out << "\n";
    for (const std::string& id : i.hardwareIds) io.out << "  hardware ID:    " << id << "\n";
    io.out << "  usage page:     " << hex4(i.usagePage) << ", usage " << hex4(i.usage) << "\n"
           << "  report lengths: input " << i.inputReportByteLength << ", output "
           << i.outputReportByteLength << ", feature " << i.featureReportByteLength << " bytes\n";
    int error = 0;
    const bool opens = backend->open(i, error) != nullptr;
    io.out << "  access:         "
           << (opens ? std::string("read and write")
                     : std::string("cannot be opened: ") + std::strerror(error))
           << "\n";
    denied = denied || (!opens && error == EACCES && isHidrawNode(i.path));
    const bool collection =
        i.usagePage == kMouseConfigUsage.UsagePage && i.usage == kMouseConfigUsage.Usage;
    const bool listed = IsAllowedInterface("", include, i.hardwareIds);
    io.out << "  the mouse:      "
           << (!collection ? "no"
               : listed    ? "yes, its configuration interface"
                           : "no: its configuration collection, but none of its hardware IDs is "
                             "in the include list of config.ini")
           << "\n\n";
    mice += collection && listed;
    unlisted = unlisted || (collection && !listed);
  }

  if (all.empty())
    io.out << "No HID interface found: no /dev/hidraw node is visible and no qorcfg51-sim runs.\n";
  else if (mice == 0)
    io.out << "The mouse was not found: no interface has its configuration collection (usage page "
           << hex4(kMouseConfigUsage.UsagePage) << ", usage " << hex4(kMouseConfigUsage.Usage)
           << ") and a hardware ID from the include list of " << config.string() << ".\n";
  else
    io.out << "The mouse's configuration interface" << (mice > 1 ? "s: " : ": ") << mice
           << " found.\n";
  if (unlisted)
    io.out
        << "To use an interface the include list leaves out, add one of its hardware IDs as the\n"
           "next idN= line of [IncludeHIDDeviceList] in "
        << config.string() << ".\n";
  if (denied)
    io.out << "Some /dev/hidraw nodes cannot be opened: your user has no access to them.\n";
  if (mice == 0 || denied) printAccessHelp(io.out);
  return kExitOk;
}

}  // namespace

std::vector<Command> DeviceCommands() {
  return {
      {"devices", "", "list the HID interfaces and show which one is the mouse",
       "Lists every HID interface of this machine (the /dev/hidraw nodes, one entry per\n"
       "top-level collection, and running qorcfg51-sim virtual mice) with its hardware IDs,\n"
       "usage page and usage, report lengths and whether it can be opened, and tells which\n"
       "one is the mouse's configuration interface: usage page 0xFFA0, usage 0x0001, and a\n"
       "hardware ID from the include list of config.ini (any, when the list is empty).\n"
       "Nothing is sent to any device. Exit status 0, also when no mouse is found.",
       Access::Reads, NoArguments, runDevices},
  };
}

}  // namespace qor::ctl
