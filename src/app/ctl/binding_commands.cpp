// SPDX-License-Identifier: GPL-2.0-or-later
// bind, unbind, bindings: applications whose focus makes a profile current (corvnmon follows).
#include <ostream>

#include "app/ctl/ctl_commands.h"
#include "app/ctl/profile_report.h"
#include "platform/app_bindings.h"
#include "platform/linux/dbus_monitor_link.h"
#include "platform/linux/sqlite_registry.h"

namespace qor::ctl {
namespace {

// The bindings are a table of their own, never part of a profile record, so the window's
// saves cannot overwrite them: these commands run beside it.
int failed(const RegistryResult& r, Output& io) {
  io.err << "qorcfg51-ctl: " << r.message << "\n";
  return kExitFailed;
}

// A running monitor reads the bindings at each focus change anyway; it is told so that it can
// announce them to its bus clients.
void notifyMonitorOfBindings() {
  DbusMonitorLink(MonitorProgramBesideExecutable()).Notify(2, 0);
}

int runBind(TDM&, const std::vector<std::string>& args, Output& io) {
  const int profile = *ParseProfileNumber(args[1]);
  if (auto r = SqliteRegistry::forThisUser()->bindApp(args[0], profile); !r.isOk())
    return failed(r, io);
  notifyMonitorOfBindings();
  io.out << args[0] << " uses profile " << profile << "\n";
  return kExitOk;
}

int runUnbind(TDM&, const std::vector<std::string>& args, Output& io) {
  const RegistryResult r = SqliteRegistry::forThisUser()->unbindApp(args[0]);
  if (r.status == RegistryResult::Status::NotFound) {
    io.err << "qorcfg51-ctl: " << args[0] << " is bound to no profile\n";
    return kExitFailed;
  }
  if (!r.isOk()) return failed(r, io);
  notifyMonitorOfBindings();
  io.out << args[0] << " no longer chooses a profile\n";
  return kExitOk;
}

int runBindings(TDM&, const std::vector<std::string>& args, Output& io) {
  std::vector<AppBinding> list;
  const auto registry = SqliteRegistry::forThisUser(SqliteRegistry::Mode::ReadOnly);
  if (auto r = registry->readBindings(list); !r.isOk()) return failed(r, io);
  if (!args.empty()) {  // --json
    ReportNode::Items items;
    for (const AppBinding& b : list)
      items.emplace_back(ReportNode::Members{{"app", b.app}, {"profile", b.profile}});
    io.out << ToJson(ReportNode::Members{{"bindings", std::move(items)}});
    return kExitOk;
  }
  for (const AppBinding& b : list) io.out << b.app << "\t" << b.profile << "\n";
  return kExitOk;
}

std::optional<std::string> checkBind(const std::vector<std::string>& a) {
  if (a.size() != 2) return "takes an application name and a profile number";
  if (auto problem = CheckAppName(a[0])) return *problem;
  if (!ParseProfileNumber(a[1])) return "the profile is a number from 1 to 5, not \"" + a[1] + "\"";
  return std::nullopt;
}

std::optional<std::string> checkUnbind(const std::vector<std::string>& a) {
  if (a.size() != 1) return "takes one application name";
  if (auto problem = CheckAppName(a[0])) return *problem;
  return std::nullopt;
}

}  // namespace

std::vector<Command> BindingCommands() {
  return {
      {"bind", "APP N", "use profile N while the application APP has the focus",
       "Binds the application APP to profile N (1 to 5): while a window of APP has the\n"
       "focus, corvnmon makes profile N current and uploads it to the mouse, and returns to\n"
       "the profile that was current before when the focus leaves. APP is the window's\n"
       "class (X11 WM_CLASS, either part; on Plasma Wayland the application ID), compared\n"
       "without regard to letter case: steam_app_570, firefox. A second bind of APP replaces\n"
       "the first. The bindings are kept apart from the profiles; this runs beside the window.",
       Access::Reads, checkBind, runBind},
      {"unbind", "APP", "remove the application APP's binding",
       "Removes the binding of APP made by bind. Exit status 1 when APP had none.", Access::Reads,
       checkUnbind, runUnbind},
      {"bindings", "[--json]", "list the applications bound to profiles",
       "Lists every binding, one \"APP<tab>N\" line each, ordered by name. --json prints one\n"
       "JSON object: bindings[], each with app and profile.",
       Access::Reads, OnlyJsonOption, runBindings},
  };
}

}  // namespace qor::ctl
