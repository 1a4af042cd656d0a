// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/command_line.h"

namespace qor {

std::vector<std::string> SplitOptionValues(int argc, const char* const* argv) {
  std::vector<std::string> args;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    optionsEnded = optionsEnded || a == "--";
    const std::size_t eq = a.find('=');
    if (!optionsEnded && a.size() > 2 && a.rfind("--", 0) == 0 && eq != std::string::npos) {
      args.push_back(a.substr(0, eq));
      args.push_back(a.substr(eq + 1));
    } else {
      args.push_back(a);
    }
  }
  return args;
}

std::string VersionLine(std::string_view program) {
  return std::string(program) + " " + QOR_VERSION;
}

}  // namespace qor
