// apply: the Apply of the main window, from the command line.
#include <chrono>
#include <iostream>

#include "app/apply_sequence.h"
#include "app/ctl/ctl_commands.h"
#include "app/ctl/device_context.h"
#include "app/thread_call.h"
#include "platform/linux/dbus_monitor_link.h"
#include "platform/linux/desktop_pointer_settings.h"

namespace qor::ctl {
namespace {

constexpr int kExitNoMouse = 3;

int runApply(TDM& dm, const std::vector<std::string>& args, Output& io) {
  const bool verbose = !args.empty();
  DeviceContext context = OpenDeviceContext();
  DbusMonitorLink monitor(MonitorProgramBesideExecutable());
  ApplySequence apply(dm, *context.device, MakeDesktopPointerSettings(), monitor);
  ApplyHooks hooks;
  if (verbose) hooks.Trace = [&](const std::string& step) { io.out << "apply: " << step << "\n"; };
  const ApplyResult result = apply.Run(hooks);
  // The pointer settings go to the desktop on a worker; let it finish before the exit.
  TuiThread::WaitForWorkers(std::chrono::seconds(3));
  for (const std::string& w : apply.Warnings()) io.err << "qorcfg51-ctl: warning: " << w << "\n";
  if (result == ApplyResult::NoMouse) {
    io.err << "qorcfg51-ctl: " << kNoMouseTitle << ": " << kNoMouseText << "\n";
    return kExitNoMouse;
  }
  io.out << "profile " << dm.FProfileIndex + 1 << " applied to the mouse\n";
  return kExitOk;
}

}  // namespace

std::vector<Command> ApplyCommands() {
  return {
      {"apply", "[--verbose]", "save everything and upload the current profile to the mouse",
       "Does what Apply in the window does: saves all profiles, hands the pointer speed,\n"
       "acceleration and wheel lines to the desktop, and uploads the current profile to the\n"
       "mouse. --verbose prints each device step.\n"
       "Exit status 3 (with a warning) when no mouse is connected; the profiles are saved.",
       false,
       [](const std::vector<std::string>& a) -> std::optional<std::string> {
         if (a.size() > 1 || (a.size() == 1 && a[0] != "--verbose"))
           return std::string("takes only --verbose");
         return std::nullopt;
       },
       runApply},
  };
}

}  // namespace qor::ctl
