// SPDX-License-Identifier: GPL-2.0-or-later
// One running instance per user: an exclusive lock that the kernel releases when the process
// ends, however it ends.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/unique_fd.h"

namespace qor {

// The lock the window holds for its whole run (named after its window class); the command
// line takes it too while it changes stored settings.
inline constexpr const char* kSettingsLockName = "TQorCfg51Main";

class InstanceLock {
 public:
  // Takes the lock named `name` (<name>.lock in paths::runtimeDir()); null when another
  // process holds it, and also when the lock file cannot be had (locking fails closed: a
  // change without the lock could be lost), with the reason in `problem` then.
  static std::unique_ptr<InstanceLock> TryAcquire(const std::string& name,
                                                  std::string* problem = nullptr);
  // The same with an explicit lock file.
  static std::unique_ptr<InstanceLock> TryAcquireFile(const std::filesystem::path& file,
                                                      std::string* problem = nullptr);

 private:
  explicit InstanceLock(UniqueFd fd) : fd_(std::move(fd)) {}
  UniqueFd fd_;
};

}  // namespace qor
