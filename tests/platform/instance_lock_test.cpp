// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/instance_lock.h"
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

}  // namespace
}  // namespace qor
