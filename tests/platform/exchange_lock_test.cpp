// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/exchange_lock.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Every Acquire opens the file anew, so a second holder in this process meets the first
// exactly as another process would.
TEST(ExchangeLock, ASecondHolderWaitsForTheFirstAndGivesUpAfterItsWait) {
  test::TempDir dir;
  const auto file = dir / "mouse.lock";
  std::string problem;
  auto first = ExchangeLock::AcquireFile(file, problem);
  ASSERT_TRUE(first) << problem;

  auto start = Clock::now();
  EXPECT_FALSE(ExchangeLock::AcquireFile(file, problem, 300ms));
  EXPECT_GE(Clock::now() - start, 300ms);
  EXPECT_NE(problem.find("another program has been talking to the mouse for more than 300 ms"),
            std::string::npos)
      << problem;
  EXPECT_NE(problem.find(file.string()), std::string::npos) << problem;

  // Let go of while the second waits: the second has it then, without waiting it out.
  std::thread release([&] {
    std::this_thread::sleep_for(100ms);
    first.reset();
  });
  start = Clock::now();
  problem.clear();
  auto second = ExchangeLock::AcquireFile(file, problem, 5s);
  const auto waited = Clock::now() - start;
  release.join();
  EXPECT_TRUE(second) << problem;
  EXPECT_GE(waited, 90ms);
  EXPECT_LT(waited, 2s);
}

// No lock, no exchange: a lock file that cannot be had is a refusal with its reason.
TEST(ExchangeLock, FailsClosedWhenTheLockFileCannotBeHad) {
  test::TempDir dir;
  ::mkdir((dir / "made").c_str(), 0700);
  ::mkdir((dir / "folder.lock").c_str(), 0700);
  ::symlink((dir / "made" / "elsewhere").c_str(), (dir / "planted.lock").c_str());
  struct Case {
    const char* name;
    std::filesystem::path file;
    const char* says;
  } cases[] = {
      {"folder missing", dir / "missing" / "x.lock", "cannot open the lock file"},
      {"a folder in its place", dir / "folder.lock", "cannot open the lock file"},
      {"a link in its place", dir / "planted.lock", "cannot open the lock file"},
  };
  for (const Case& c : cases) {
    std::string problem;
    const auto start = Clock::now();
    EXPECT_FALSE(ExchangeLock::AcquireFile(c.file, problem)) << c.name;
    EXPECT_LT(Clock::now() - start, 1s) << c.name << ": refused at once, not waited for";
    EXPECT_NE(problem.find(c.says), std::string::npos) << c.name << ": " << problem;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "made" / "elsewhere"));  // the link not followed
}

// The lock of a device is a file of the user's own in the runtime folder, one per device.
TEST(ExchangeLock, OneFileOfTheUsersPerDeviceInTheRuntimeFolder) {
  test::TempDir dir;
  test::ScopedEnv env;
  env.set("XDG_RUNTIME_DIR", dir.path().c_str());

  std::string problem;
  auto lock = ExchangeLock::Acquire("/dev/hidraw3", problem);
  ASSERT_TRUE(lock) << problem;
  const auto file = dir / ExchangeLock::FileName("/dev/hidraw3");
  struct stat st {};
  ASSERT_EQ(::lstat(file.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // Held for /dev/hidraw3 only.
  EXPECT_FALSE(ExchangeLock::Acquire("/dev/hidraw3", problem, 50ms));
  EXPECT_TRUE(ExchangeLock::Acquire("/dev/hidraw4", problem, 50ms)) << problem;

  env.set("XDG_RUNTIME_DIR", (dir / "gone").c_str());
  problem.clear();
  EXPECT_FALSE(ExchangeLock::Acquire("/dev/hidraw3", problem));
  EXPECT_NE(problem.find("cannot open the lock file"), std::string::npos) << problem;

  // Readable names that never join two devices, and never reach into another folder.
  const std::string sim = ExchangeLock::FileName("/run/user/1000/qorcfg51/sim/mouse 1.sock");
  EXPECT_EQ(sim.rfind("qorcfg51-exchange-mouse_1.sock-", 0), 0u) << sim;
  EXPECT_NE(ExchangeLock::FileName("/a/hidraw3"), ExchangeLock::FileName("/b/hidraw3"));
  EXPECT_EQ(ExchangeLock::FileName("/dev/hidraw3"), ExchangeLock::FileName("/dev/hidraw3"));
  EXPECT_EQ(ExchangeLock::FileName("/x/..").find('/'), std::string::npos);
  EXPECT_LT(ExchangeLock::FileName("/tmp/" + std::string(300, 'n')).size(), 100u);
}

}  // namespace
}  // namespace qor
