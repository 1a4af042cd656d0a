// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

TEST(InstanceLock, OneHolderAtATimeAndFreedOnExit) {
  test::TempDir dir;
  const auto file = dir / "TQorCfg51Main.lock";
  auto first = InstanceLock::TryAcquireFile(file);
  ASSERT_TRUE(first);
  // Another process cannot take it while we hold it.
  const pid_t child = ::fork();
  if (child == 0) ::_exit(InstanceLock::TryAcquireFile(file) ? 1 : 0);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  first.reset();
  EXPECT_TRUE(InstanceLock::TryAcquireFile(file));
  // A holder that dies without cleaning up frees it too.
  const pid_t holder = ::fork();
  if (holder == 0) {
    auto lock = InstanceLock::TryAcquireFile(file);
    ::_exit(lock ? 0 : 1);
  }
  ::waitpid(holder, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(InstanceLock::TryAcquireFile(file));
}

// Without XDG_RUNTIME_DIR the lock and the sockets go to a folder of the user's own; one that
// another user could have planted is refused, and a lock that cannot be had fails closed.
TEST(InstanceLock, APrivateFolderOrNoLock) {
  test::TempDir dir;
  std::string why;
  EXPECT_EQ(paths::privateFolder(dir / "made", &why), dir / "made");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "made").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  ::mkdir((dir / "open").c_str(), 0755);
  ::chmod((dir / "open").c_str(), 0755);
  test::writeText(dir / "file", "x");
  ::symlink((dir / "made").c_str(), (dir / "link").c_str());
  ::mkdir((dir / "theirs").c_str(), 0700);
  const bool chowned = ::chown((dir / "theirs").c_str(), 65534, 65534) == 0;  // needs root
  struct Case {
    const char* name;
    const char* why;
  } cases[] = {{"open", "may be entered by other users"},
               {"file", "is not a folder"},
               {"link", "is not a folder"},
               {"theirs", "belongs to another user"}};
  for (const Case& c : cases) {
    if (std::string(c.name) == "theirs" && !chowned) continue;
    why.clear();
    EXPECT_TRUE(paths::privateFolder(dir / c.name, &why).empty()) << c.name;
    EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;
  }

  why.clear();
  EXPECT_FALSE(InstanceLock::TryAcquireFile(dir / "missing" / "x.lock", &why));
  EXPECT_NE(why.find("cannot open the lock file"), std::string::npos) << why;
  why.clear();
  ::symlink((dir / "made" / "elsewhere").c_str(), (dir / "planted.lock").c_str());
  EXPECT_FALSE(InstanceLock::TryAcquireFile(dir / "planted.lock", &why));  // never followed
  EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace qor
