// SPDX-License-Identifier: GPL-2.0-or-later
// apply: the Apply of the main window, from the command line.
#include <algorithm>
#include <chrono>
#include <iostream>

#include "app/apply_sequence.h"
#include "app/ctl/ctl_commands.h"
#include "app/ctl/device_context.h"
#include "app/ctl/no_mouse_report.h"
#include "app/thread_call.h"
#include "platform/linux/dbus_monitor_link.h"
#include "platform/linux/desktop_pointer_settings.h"

namespace qor::ctl {
namespace {

// A mouse this user may not open looks absent or silent: say why, and the fix.
void printAccessAdvice(DeviceContext& context, Output& io) {
  if (const std::string advice = MouseAccessAdvice(context); !advice.empty())
    io.err << advice << "\n";
}

int runApply(TDM& dm, const std::vector<std::string>& args, Output& io) {
  const auto has = [&](const char* option) {
    return std::find(args.begin(), args.end(), option) != args.end();
  };
  DeviceContext context = OpenDeviceContext();
  DbusMonitorLink monitor(MonitorProgramBesideExecutable());
  ApplySequence apply(dm, *context.device, MakeDesktopPointerSettings(), monitor);
  ApplyHooks hooks;
  if (has("--verbose"))
    hooks.Trace = [&](const std::string& step) { io.out << "apply: " << step << "\n"; };
  const ApplyResult result = apply.Run(hooks);
  // The pointer settings go to the desktop on a worker; let it finish before the exit.
  TuiThread::WaitForWorkers(std::chrono::seconds(3));
  for (const std::string& w : apply.Warnings()) io.err << "qorcfg51-ctl: warning: " << w << "\n";
  switch (result) {
    case ApplyResult::NoMouse:
      return ReportNoMouse(context, "the profiles were saved, nothing was uploaded", io);
    case ApplyResult::MouseStopped:
      // A refused exchange lock stops Apply at its first command: nothing was sent.
      if (const std::string busy = context.device->LockProblem(); !busy.empty())
        return ReportMouseBusy(busy, "the profiles were saved, nothing was uploaded", io);
      io.err << "qorcfg51-ctl: " << kMouseStoppedText << " (" << apply.Failure() << ")\n";
      printAccessAdvice(context, io);
      return kExitMouseStopped;
    case ApplyResult::NoProfile:
      return kExitFailed;
    case ApplyResult::Applied:
      break;
  }
  io.out << "profile " << dm.FProfileIndex + 1 << " applied to the mouse\n";
  if (!has("--verify")) return kExitOk;
  const ApplyVerification v = apply.Verify();
  if (!v.readFailure.empty()) {
    io.err << "qorcfg51-ctl: " << kMouseStoppedText << " (" << v.readFailure << ")\n";
    return kExitMouseStopped;
  }
  for (const std::string& d : v.differences) io.err << "qorcfg51-ctl: verify: " << d << "\n";
  if (!v.differences.empty()) return kExitVerifyDiffers;
  io.out << "verified: the mouse holds what was written\n";
  return kExitOk;
}

}  // namespace

std::vector<Command> ApplyCommands() {
  return {
      {"apply", "[--verbose] [--verify]",
       "save everything and upload the current profile to the mouse",
       "Does what Apply in the window does: saves all profiles, hands the pointer speed,\n"
       "acceleration and wheel lines to the desktop, and uploads the current profile to the\n"
       "mouse. --verbose prints each device step. --verify reads every written block back\n"
       "and compares it. The profiles are saved also when no mouse answers or the mouse stops\n"
       "answering; nothing more is sent after the step it did not answer.",
       Access::Saves,
       [](const std::vector<std::string>& a) -> std::optional<std::string> {
         for (const std::string& option : a)
           if (option != "--verbose" && option != "--verify")
             return "takes only --verbose and --verify, not \"" + option + "\"";
         return std::nullopt;
       },
       runApply, true},
  };
}

}  // namespace qor::ctl
