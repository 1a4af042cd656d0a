// SPDX-License-Identifier: GPL-2.0-or-later
// One user's installation for running qorcfg51-ctl as a process: its own settings database,
// documents folder, runtime folder (where simulators put their sockets) and program folder.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_support/bytes.h"
#include "test_support/temp_dir.h"

namespace qor::test {

namespace fs = std::filesystem;

struct CtlRun {
  int status;
  std::string out;
  std::string err;
};

// One user's configuration: settings database, documents and program folder; the machine's
// settings folder and udev rules folder are moved into it too, so no test writes /etc.
class Installation {
 public:
  Installation() {
    const char* stage = std::getenv("QORCFG51_TEST_STAGE");
    program_ = stage ? fs::path(stage) : fs::path(QOR_CTL_PATH).parent_path();
  }
  fs::path slotFile(int n) const {
    return dir_ / "docs" / "Tessaly Gaming Mouse" / ("QORProfile" + std::to_string(n) + ".PFX");
  }
  fs::path operator/(const std::string& name) const { return dir_ / name; }
  const fs::path& root() const { return dir_.path(); }
  // Where simulators started for this installation put their sockets.
  fs::path simulatorFolder() const {
    fs::create_directories(dir_ / "qorcfg51" / "sim");
    return dir_ / "qorcfg51" / "sim";
  }

  // The shell command that runs the tool with `args` in this installation. `launcher`: more
  // VAR=value settings and a program that runs the tool, put before it.
  std::string command(const std::string& args, const std::string& launcher = "") const {
    return "env -i HOME='" + dir_.path().string() + "' XDG_CONFIG_HOME='" +
           (dir_ / "config").string() + "' QORCFG51_SYSCONF_DIR='" + (dir_ / "etc").string() +
           "' QORCFG51_UDEV_RULES_DIR='" + (dir_ / "rules.d").string() + "' XDG_DOCUMENTS_DIR='" +
           (dir_ / "docs").string() + "' XDG_RUNTIME_DIR='" + dir_.path().string() +
           "' QORCFG51_PROGRAM_DIR='" + program_.string() + "' " + launcher + " " QOR_CTL_PATH " " +
           args;
  }

  CtlRun ctl(const std::string& args, const std::string& launcher = "") const {
    const std::string cmd = command(args, launcher) + " 2>'" + (dir_ / "stderr").string() + "'";
    CtlRun r{};
    FILE* p = ::popen(cmd.c_str(), "r");
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int raw = ::pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const Bytes err = readBytes(dir_ / "stderr");
    r.err.assign(err.begin(), err.end());
    return r;
  }

 private:
  test::TempDir dir_;
  fs::path program_;
};

}  // namespace qor::test
