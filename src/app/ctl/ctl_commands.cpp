// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/ctl/ctl_commands.h"

#include <charconv>

#include "model/wide_text.h"
#include "platform/paths.h"
#include "ui/language.h"
#include "ui/locale_table.h"

namespace qor::ctl {

std::optional<int> ParseProfileNumber(const std::string& text) {
  int n = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size() || n < 1 || n > kProfileSlots)
    return std::nullopt;
  return n;
}

std::optional<std::string> NoArguments(const std::vector<std::string>& args) {
  if (!args.empty()) return "takes no arguments";
  return std::nullopt;
}

std::optional<std::string> OnlyJsonOption(const std::vector<std::string>& args) {
  if (args.empty() || (args.size() == 1 && args[0] == "--json")) return std::nullopt;
  return "takes only --json";
}

std::optional<std::string> TakeProfileOption(std::vector<std::string>& args,
                                             std::optional<int>& profile) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--profile") continue;
    if (i + 1 >= args.size()) return "--profile needs a number from 1 to 5";
    profile = ParseProfileNumber(args[i + 1]);
    if (!profile) return "--profile takes a number from 1 to 5, not \"" + args[i + 1] + "\"";
    args.erase(args.begin() + std::ptrdiff_t(i), args.begin() + std::ptrdiff_t(i) + 2);
    return std::nullopt;
  }
  return std::nullopt;
}

std::string StoredLanguage(const TDM& dm) {
  const InstalledLanguages languages(paths::program(), SystemLocaleName());
  return toUtf8(
      languages.List().GetLanguageShortIDByIndex(dm.FAllProfileSettingInfo.CurrentLanguage));
}

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = [] {
    std::vector<Command> all = ProfileCommands();
    for (auto more : {SetCommands(), ApplyCommands(), DeviceCommands(), ModelCommands(),
                      HookCommands(), BackupCommands(), BindingCommands()})
      all.insert(all.end(), more.begin(), more.end());
    return all;
  }();
  return commands;
}

const Command* FindCommand(const std::string& name) {
  for (const Command& c : Commands())
    if (name == c.name) return &c;
  return nullptr;
}

}  // namespace qor::ctl
