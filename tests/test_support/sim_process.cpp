// SPDX-License-Identifier: GPL-2.0-or-later
#include "test_support/sim_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "test_support/temp_dir.h"

extern char** environ;

namespace qor::test {
namespace fs = std::filesystem;

SimProcess::SimProcess(const fs::path& socketDir, const std::vector<std::string>& args,
                       int interfaces)
    : dir_(socketDir), outFile_(fs::path(socketDir.string() + ".out")) {
  std::vector<std::string> env = {"QORCFG51_SIM_DIR=" + socketDir.string()};
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("QORCFG51_SIM_DIR=", 0) != 0) env.push_back(*e);
  std::vector<std::string> argv = {QOR_SIM_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  auto pointers = [](std::vector<std::string>& v) {
    std::vector<char*> p;
    for (std::string& s : v) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
  };
  std::vector<char*> argp = pointers(argv), envp = pointers(env);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile_.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const int r = posix_spawn(&pid_, argp[0], &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (r != 0) throw std::runtime_error("cannot start " + argv[0]);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (sockets().size() < std::size_t(interfaces)) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error("qorcfg51-sim ended at start: " + output());
    }
    if (std::chrono::steady_clock::now() > deadline)
      throw std::runtime_error("qorcfg51-sim did not open its sockets: " + output());
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

SimProcess::~SimProcess() {
  if (pid_ > 0) stop();
}

int SimProcess::stop() {
  if (pid_ > 0) ::kill(pid_, SIGTERM);
  return wait();
}

int SimProcess::wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string SimProcess::output() const {
  const std::vector<uint8_t> text = readBytes(outFile_);
  return std::string(text.begin(), text.end());
}

std::vector<fs::path> SimProcess::sockets() const {
  std::vector<fs::path> found;
  const std::string prefix = std::to_string(pid_) + "-";
  std::error_code ec;
  for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(prefix, 0) == 0 && name.ends_with(".sock")) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace qor::test
