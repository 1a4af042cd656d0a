// SPDX-License-Identifier: GPL-2.0-or-later
// Reading a qorcfg51-sim log back, for checking what the host sent.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qor::test {

// One token per report the host sent, from the simulator's log: "cmd6 0 0", "read 64 1",
// "write 144 81", ...; answers the host read are left out.
inline std::vector<std::string> SentCommands(const std::filesystem::path& log) {
  std::vector<std::string> out;
  std::ifstream in(log);
  std::string kind, hex;
  while (in >> kind >> hex) {
    if (kind != "SET") continue;
    auto byte = [&](std::size_t i) { return std::stoi(hex.substr(2 * i, 2), nullptr, 16); };
    const int type = byte(1);
    const int address = byte(2) | byte(3) << 8, length = byte(4) | byte(5) << 8;
    if (type == 2)
      out.push_back("write " + std::to_string(address) + " " + std::to_string(length));
    else if (type == 3)
      out.push_back("read " + std::to_string(address) + " " + std::to_string(length));
    else
      out.push_back("cmd" + std::to_string(type) + " " + std::to_string(byte(2)) + " " +
                    std::to_string(byte(3)));
  }
  return out;
}

}  // namespace qor::test
