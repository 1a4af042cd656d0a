// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any argument list (one argument per line) to qorcfg51-ctl's command table: the
// argument check never faults, and `show` and `set` (whose checks accept what they then
// run) run on a data module in memory without fault.
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/ctl/ctl_commands.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace qor;
  std::vector<std::string> args;
  std::string current;
  for (std::size_t i = 0; i < size && args.size() < 16; ++i) {
    if (data[i] == '\n') {
      args.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  args.push_back(current);
  const ctl::Command* command = ctl::FindCommand(args[0]);
  if (!command) return 0;
  args.erase(args.begin());
  if (command->check(args)) return 0;
  const std::string name = command->name;
  // Everything else reaches for devices, the desktop or the monitor.
  if (name != "show" && !(name == "set" && !args.empty() && args[0] != "double-click")) return 0;
  static fuzz::MemoryRegistry registry;
  static std::unique_ptr<TDM> dm;
  if (!dm) {
    const auto docs = fuzz::ScratchFolder() / "docs";
    dm = std::make_unique<TDM>(DataModuleEnvironment{registry, docs, docs, docs}, nullptr);
  }
  std::ostringstream out, err;
  ctl::Output io{out, err};
  const int status = command->run(*dm, args, io);
  if (status != ctl::kExitOk && status != ctl::kExitFailed) std::abort();
  if (status == ctl::kExitFailed && err.str().empty()) std::abort();  // a refusal says why
  return 0;
}
