// SPDX-License-Identifier: GPL-2.0-or-later
// A process killed (SIGKILL) while it saves leaves every profile file and registry value
// either as it was or as it was being written, and the next start loads cleanly.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "model/data_module.h"
#include "model/save_loop_images.h"
#include "platform/linux/sqlite_registry.h"
#include "test_support/bytes.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

TEST(KillDuringSave, EveryFileAndValueIsTheOldOrTheNewImage) {
  test::TempDir dir;
  const fs::path user = dir / "user.db", machine = dir / "machine.db", docs = dir / "docs";
  const fs::path folder = docs / "Tessaly Gaming Mouse";
  Bytes group;
  {
    SqliteRegistry registry(user, machine);
    TDM first({registry, docs, dir / "program"}, nullptr);  // factory files and values
    RegistryValue v;
    ASSERT_TRUE(
        registry.readValue(RootKey::CurrentUser, kRegistryKeyPath, kProfileSettingGroupValue, v)
            .isOk());
    group = v.data;
  }
  TMOUSEPROFILEINFO factory{};
  RestoreFactoryProfile(factory);
  const std::vector<Bytes> allowed = {test::imageOf(factory), test::imageOf(test::SaveLoopImage(0)),
                                      test::imageOf(test::SaveLoopImage(1))};
  auto isWhole = [&](const Bytes& b) {
    return std::find(allowed.begin(), allowed.end(), b) != allowed.end();
  };

  std::mt19937 random(20261210);
  std::uniform_int_distribution<int> delayUs(0, 40000);
  int kills = 0;
  for (int round = 0; round < 200; ++round) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(ready[1], STDOUT_FILENO);
      ::execl(QOR_SAVE_LOOP_PATH, QOR_SAVE_LOOP_PATH, user.c_str(), machine.c_str(), docs.c_str(),
              (dir / "program").c_str(), nullptr);
      ::_exit(127);
    }
    ::close(ready[1]);
    char line[8];
    ASSERT_GT(::read(ready[0], line, sizeof line), 0) << "the save loop did not start";
    ::close(ready[0]);
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save loop ended by itself: " << status;
    ++kills;

    SqliteRegistry registry(user, machine);
    RegistryValue v;
    ASSERT_TRUE(
        registry.readValue(RootKey::CurrentUser, kRegistryKeyPath, kProfileSettingGroupValue, v)
            .isOk());
    ASSERT_EQ(v.data, group) << "round " << round;
    for (int i = 1; i <= 5; ++i) {
      const std::string name = "QORProfile" + std::to_string(i) + ".PFX";
      ASSERT_TRUE(isWhole(test::readBytes(folder / name))) << "round " << round << " " << name;
      // Slot values appear with the first save; before it there is none.
      const RegistryResult r = registry.readValue(RootKey::CurrentUser, kRegistryKeyPath, name, v);
      ASSERT_NE(r.status, RegistryResult::Status::Failed) << r.message;
      if (r.isOk()) {
        ASSERT_TRUE(isWhole(v.data)) << "round " << round << " value " << name;
      }
    }
  }
  EXPECT_EQ(kills, 200);

  SqliteRegistry registry(user, machine);
  std::vector<StoreProblem> problems;
  TDM next({registry, docs, dir / "program"},
           [&](const StoreProblem& p) { problems.push_back(p); });
  EXPECT_TRUE(problems.empty()) << problems.front().message;
  EXPECT_TRUE(isWhole(test::imageOf(next.FCurrentProfileInfo)));
}

}  // namespace
}  // namespace qor
