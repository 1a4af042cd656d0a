// SPDX-License-Identifier: GPL-2.0-or-later
// A qorcfg51-sim process for one test, stopped when the test ends.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace qor::test {

class SimProcess {
 public:
  // Starts the simulator with `args` and its sockets in `socketDir` (QORCFG51_SIM_DIR), its
  // output in `socketDir`.out; returns once its `interfaces` sockets are there.
  SimProcess(const std::filesystem::path& socketDir, const std::vector<std::string>& args,
             int interfaces = 1);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Sends SIGTERM and returns the exit status (-1 when it did not exit normally).
  int stop();
  // Waits for the simulator to end by itself and returns its exit status.
  int wait();
  // What it printed (stdout and stderr).
  std::string output() const;
  // Its sockets, in interface order.
  std::vector<std::filesystem::path> sockets() const;

 private:
  std::filesystem::path dir_;
  std::filesystem::path outFile_;
  pid_t pid_ = -1;
};

}  // namespace qor::test
