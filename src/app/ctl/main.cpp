// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl: the profiles of the mouse from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "app/ctl/ctl_commands.h"
#include "model/data_module.h"
#include "platform/atomic_file.h"
#include "platform/command_line.h"
#include "platform/instance_lock.h"
#include "platform/linux/sqlite_registry.h"
#include "platform/paths.h"
#include "ui/language.h"
#include "ui/locale_table.h"

using namespace qor;
using namespace qor::ctl;

namespace {

std::string usageOf(const Command& c) {
  std::string usage = c.usage;
  if (c.profileOption) usage = "[--profile N]" + (usage.empty() ? "" : " " + usage);
  return usage;
}

void printUsage(std::ostream& out) {
  out << "Usage: qorcfg51-ctl COMMAND [ARGS]\n"
         "       qorcfg51-ctl COMMAND --help\n"
         "       qorcfg51-ctl --version\n\n"
         "Shows and changes the gaming mouse's profiles, with the same settings the\n"
         "qorcfg51 window uses. Commands that change a profile save all profiles the way\n"
         "Apply does and send nothing to the mouse: apply and restore write to it. Commands\n"
         "that only look create and change no file.\n\nCommands:\n";
  for (const Command& c : Commands()) {
    const std::string usage = usageOf(c);
    std::string head = std::string(c.name) + (usage.empty() ? "" : " " + usage);
    out << "  " << head << std::string(head.size() < 26 ? 26 - head.size() : 1, ' ') << c.summary
        << "\n";
  }
  out << "\nAn option's value follows it (--profile 2) or is joined to it (--profile=2).\n"
         "Commands that change profiles, and restore, refuse while the qorcfg51 window runs.\n\n"
         "Exit status, the same for every command:\n"
         "  0  done\n"
         "  1  refused or failed (the reason is on stderr)\n"
         "  2  usage error\n"
         "  3  no mouse found (apply saves the profiles all the same)\n"
         "  4  the mouse stopped answering\n"
         "  5  --verify found a difference\n\n"
         "Environment: XDG_CONFIG_HOME (settings database), XDG_DOCUMENTS_DIR (profile files),\n"
         "QORCFG51_PROGRAM_DIR (folder holding config.ini).\n";
}

void printCommandHelp(const Command& c, std::ostream& out) {
  const std::string usage = usageOf(c);
  out << "Usage: qorcfg51-ctl " << c.name << (usage.empty() ? "" : " ") << usage << "\n\n";
  if (c.profileOption)
    out << "--profile N works on profile N (1 to 5) instead of the current profile and leaves\n"
           "the current profile as it was.\n\n";
  out << c.help << "\n\nExit status: see qorcfg51-ctl --help.\n";
}

}  // namespace

int main(int argc, char** argv) {
  ReportOversizedWrites();
  std::vector<std::string> args = SplitOptionValues(argc, argv);
  if (args.empty()) {
    printUsage(std::cerr);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    printUsage(std::cout);
    return kExitOk;
  }
  if (args[0] == "--version") {
    std::cout << VersionLine("qorcfg51-ctl") << "\n";
    return kExitOk;
  }
  const Command* command = FindCommand(args[0]);
  if (!command) {
    std::cerr << "qorcfg51-ctl: unknown command \"" << args[0] << "\"; see qorcfg51-ctl --help\n";
    return kExitUsage;
  }
  args.erase(args.begin());
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      printCommandHelp(*command, std::cout);
      return kExitOk;
    }
  }
  std::optional<int> profile;
  if (command->profileOption)
    if (auto problem = TakeProfileOption(args, profile)) {
      std::cerr << "qorcfg51-ctl " << command->name << ": " << *problem << "\n";
      return kExitUsage;
    }
  if (auto problem = command->check(args)) {
    std::cerr << "qorcfg51-ctl " << command->name << ": " << *problem << "\n";
    printCommandHelp(*command, std::cerr);
    return kExitUsage;
  }

  // The window saves everything on Apply: a change made beside it would be overwritten.
  std::unique_ptr<InstanceLock> lock;
  if (command->access != Access::Reads) {
    std::string problem;
    lock = InstanceLock::TryAcquire(kSettingsLockName, &problem);
    if (!lock && !problem.empty()) {
      std::cerr << "qorcfg51-ctl " << command->name << ": " << problem << "\n";
      return kExitFailed;
    }
    if (!lock) {
      std::cerr << "qorcfg51-ctl " << command->name
                << ": the qorcfg51 window is running (or another change is being saved); close "
                   "it first, or make the change in the window\n";
      return kExitFailed;
    }
  }

  bool errors = false;
  // Commands that change no stored setting only look: they create no database, no folder and
  // no profile file, and show factory values where nothing is stored yet.
  const bool looks = command->access == Access::Reads || command->access == Access::Mouse;
  auto registry = SqliteRegistry::forThisUser(looks ? SqliteRegistry::Mode::ReadOnly
                                                    : SqliteRegistry::Mode::ReadWrite);
  DataModuleEnvironment env{*registry, paths::documents(), paths::program()};
  env.readOnly = looks;
  // A first start made from the command line speaks the user's language too.
  env.firstStartLanguage = FirstStartLanguage(env.program, SystemLocaleName());
  TDM dm(env, [&](const StoreProblem& p) {
    const bool isError = p.kind == StoreProblem::Kind::Error;
    errors = errors || isError;
    std::cerr << "qorcfg51-ctl: " << (isError ? "error: " : "warning: ") << p.message << "\n";
  });

  Output io{std::cout, std::cerr};
  if (profile) dm.OpenProfile(*profile - 1);
  int status = command->run(dm, args, io);
  if (status == kExitOk && command->access == Access::Changes && !dm.SaveAllProfileData())
    status = kExitFailed;
  if (status == kExitOk && errors) status = kExitFailed;
  return status;
}
