// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl beside other programs talking to the same virtual mouse at the same time.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "app/ctl_installation.h"
#include "platform/instance_lock.h"
#include "test_support/sim_log.h"
#include "test_support/sim_process.h"

extern char** environ;

namespace qor {
namespace {

using test::Bytes;
using test::CtlRun;
using test::Installation;
namespace fs = std::filesystem;

// A shell running one command again and again, in a process group of its own, until the
// object ends; each run's exit status is appended to `statusFile`, its stderr to `errFile`.
class RepeatedRun {
 public:
  RepeatedRun(const std::string& command, const fs::path& statusFile, const fs::path& errFile)
      : statusFile_(statusFile) {
    std::string loop = "while :; do " + command + " >/dev/null 2>>'" + errFile.string() +
                       "'; echo $? >>'" + statusFile.string() + "'; done";
    std::string sh = "/bin/sh", dashC = "-c";
    char* argv[] = {sh.data(), dashC.data(), loop.data(), nullptr};
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    if (posix_spawn(&pid_, argv[0], nullptr, &attr, argv, environ) != 0) pid_ = -1;
    posix_spawnattr_destroy(&attr);
  }
  ~RepeatedRun() { stop(); }
  RepeatedRun(const RepeatedRun&) = delete;
  RepeatedRun& operator=(const RepeatedRun&) = delete;

  bool started() const { return pid_ > 0; }
  // The exit statuses of the runs that ended so far.
  std::vector<int> statuses() const {
    const Bytes text = test::readBytes(statusFile_);
    std::istringstream in(std::string(text.begin(), text.end()));
    std::vector<int> all;
    for (int s; in >> s;) all.push_back(s);
    return all;
  }
  // Ends the shell and the run in progress (its status is not recorded).
  void stop() {
    if (pid_ <= 0) return;
    ::kill(-pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }

 private:
  fs::path statusFile_;
  pid_t pid_ = -1;
};

// A memory no factory would hold: byte i is 5i+1, the model MODAL001 at 0.
Bytes patternMemory() {
  Bytes m(2408);
  for (std::size_t i = 0; i < m.size(); ++i) m[i] = uint8_t(i * 5 + 1);
  const std::string model = "MODAL001";
  std::fill(m.begin(), m.begin() + 16, 0);
  std::copy(model.begin(), model.end(), m.begin());
  return m;
}

// Beside the window, two other hosts talk to the mouse all the while, one asking its model again
// and again, one reading its whole memory: no answer lands in another program's read, so every
// backup is the memory, and every one of the hosts' own exchanges succeeds too.
TEST(CtlExchangeLock, BackupsBesideOtherHostsHoldTheMemory) {
  constexpr int kBackups = 100;
  Installation home;
  const fs::path memory = home / "memory.bin";
  test::writeBytes(memory, patternMemory());
  test::SimProcess sim(home.simulatorFolder(), {"--memory-file", memory.string()});
  // The window holds the settings lock for its whole run: a lock of its own lets the mouse's
  // sequences take turns beside it.
  const auto window = InstanceLock::TryAcquireFile(home / "TQorCfg51Main.lock");
  ASSERT_TRUE(window);

  RepeatedRun model(home.command("model"), home / "model.status", home / "model.err");
  RepeatedRun reader(home.command("backup '" + (home / "other.qorbak").string() + "'"),
                     home / "reader.status", home / "reader.err");
  ASSERT_TRUE(model.started() && reader.started());
  // The backups begin once both hosts have finished a run.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((model.statuses().empty() || reader.statuses().empty()) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_FALSE(model.statuses().empty() || reader.statuses().empty());

  const fs::path file = home / "mouse.qorbak";
  int good = 0;
  for (int i = 0; i < kBackups; ++i) {
    fs::remove(file);
    const CtlRun r = home.ctl("backup '" + file.string() + "'");
    EXPECT_EQ(r.status, 0) << "backup " << i << ": " << r.err;
    const Bytes saved = test::readBytes(file);
    const bool same = saved.size() == 48 + 2408 &&
                      Bytes(saved.begin() + 48, saved.end()) == test::readBytes(memory);
    EXPECT_TRUE(same) << "backup " << i;
    good += r.status == 0 && same;
  }
  model.stop();
  reader.stop();
  EXPECT_EQ(good, kBackups);
  EXPECT_EQ(test::readBytes(memory), patternMemory());

  // The hosts really ran beside the backups, and none of their exchanges failed either.
  const auto errors = [&](const char* name) {
    const Bytes text = test::readBytes(home / name);
    return std::string(text.begin(), text.end());
  };
  const std::vector<int> models = model.statuses(), reads = reader.statuses();
  EXPECT_GE(models.size(), 20u);
  EXPECT_GE(reads.size(), 20u);
  EXPECT_EQ(std::count(models.begin(), models.end(), 0), std::ptrdiff_t(models.size()))
      << errors("model.err");
  EXPECT_EQ(std::count(reads.begin(), reads.end(), 0), std::ptrdiff_t(reads.size()))
      << errors("reader.err");
}

// No lock, no exchange: when the mouse's lock file cannot be opened, every command that talks
// to the mouse sends it nothing, says why and ends with status 1.
TEST(CtlExchangeLock, WithoutTheLockNothingIsSent) {
  Installation home;
  const fs::path memory = home / "memory.bin", log = home / "sim.log";
  test::writeBytes(memory, patternMemory());
  test::SimProcess sim(home.simulatorFolder(),
                       {"--memory-file", memory.string(), "--log", log.string()});
  ASSERT_EQ(home.ctl("backup '" + (home / "b").string() + "'").status, 0);
  fs::path lockFile;
  for (const auto& entry : fs::directory_iterator(home.root()))
    if (entry.path().filename().string().rfind("qorcfg51-exchange-", 0) == 0)
      lockFile = entry.path();
  ASSERT_FALSE(lockFile.empty());
  fs::remove(lockFile);
  fs::create_directory(lockFile);
  const std::size_t sent = test::SentCommands(log).size();

  const std::string commands[] = {"model", "backup '" + (home / "c").string() + "'",
                                  "restore '" + (home / "b").string() + "'", "apply"};
  for (const std::string& command : commands) {
    const CtlRun r = home.ctl(command);
    EXPECT_EQ(r.status, 1) << command << ": " << r.err;
    EXPECT_NE(r.err.find("cannot open the lock file " + lockFile.string()), std::string::npos)
        << command << ": " << r.err;
    EXPECT_EQ(test::SentCommands(log).size(), sent) << command;
  }
  EXPECT_FALSE(fs::exists(home / "c"));
  EXPECT_EQ(test::readBytes(memory), patternMemory());
}

}  // namespace
}  // namespace qor
