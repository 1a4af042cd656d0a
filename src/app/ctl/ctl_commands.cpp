#include "app/ctl/ctl_commands.h"

#include <charconv>

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

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = [] {
    std::vector<Command> all = ProfileCommands();
    for (auto more :
         {SetCommands(), ApplyCommands(), DeviceCommands(), ModelCommands(), HookCommands()})
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
