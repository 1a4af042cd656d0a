// SPDX-License-Identifier: GPL-2.0-or-later
// The commands of qorcfg51-ctl.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "model/data_module.h"

namespace qor::ctl {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
// Commands that talk to the mouse add these.
inline constexpr int kExitNoMouse = 3;
inline constexpr int kExitMouseStopped = 4;
inline constexpr int kExitVerifyDiffers = 5;

struct Output {
  std::ostream& out;
  std::ostream& err;
};

// What a command does to the stored settings.
enum class Access {
  Reads,    // only reads them; runs beside the window
  Changes,  // changes a profile, saved like Apply does afterwards
  Saves,    // saves them itself
  Mouse,    // writes only the mouse; refused beside the window, whose uploads would interleave
};

struct Command {
  const char* name;
  const char* usage;    // arguments after the name
  const char* summary;  // one line for the command list
  const char* help;     // what the command does, for `COMMAND --help`
  Access access;
  // Checks the arguments; returns an error text for a usage error.
  std::function<std::optional<std::string>(const std::vector<std::string>& args)> check;
  // Runs the command on the data module; returns an exit status.
  std::function<int(TDM& dm, const std::vector<std::string>& args, Output& io)> run;
  // Takes `--profile N`: the command works on profile N and leaves the stored current
  // profile as it was (the tool strips the option before `check` and `run`).
  bool profileOption = false;
};

// Removes `--profile N` from `args`; the profile number 1..5, nothing without the option, or
// the usage error.
std::optional<std::string> TakeProfileOption(std::vector<std::string>& args,
                                             std::optional<int>& profile);

// The short ID of the stored language ("0407"); empty when ui.local has no such language.
std::string StoredLanguage(const TDM& dm);

// The settings of `profile` as the lines `set` takes ("rate 500", "button 4 combo:ctrl+c"),
// values quoted for the shell where they need it.
std::vector<std::string> SettingLines(const TDM& dm, const TMOUSEPROFILEINFO& profile);

// Every command, in the order --help lists them.
const std::vector<Command>& Commands();
// The command named `name`, or null.
const Command* FindCommand(const std::string& name);

// Each area of the tool contributes its commands.
std::vector<Command> ProfileCommands();
std::vector<Command> SetCommands();
std::vector<Command> ApplyCommands();
std::vector<Command> ModelCommands();
std::vector<Command> DeviceCommands();
std::vector<Command> HookCommands();
std::vector<Command> BackupCommands();
std::vector<Command> BindingCommands();

// A profile number 1..5 as the user writes it; nothing for anything else.
std::optional<int> ParseProfileNumber(const std::string& text);

// The argument check of a command without arguments.
std::optional<std::string> NoArguments(const std::vector<std::string>& args);
// The argument check of a command that takes only --json.
std::optional<std::string> OnlyJsonOption(const std::vector<std::string>& args);

}  // namespace qor::ctl
