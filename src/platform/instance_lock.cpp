// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/instance_lock.h"

#include <sys/file.h>

#include "platform/lock_file.h"
#include "platform/paths.h"

namespace qor {

std::unique_ptr<InstanceLock> InstanceLock::TryAcquire(const std::string& name,
                                                       std::string* problem) {
  const std::filesystem::path runtime = paths::runtimeDir(problem);
  if (runtime.empty()) return nullptr;
  return TryAcquireFile(runtime / (name + ".lock"), problem);
}

std::unique_ptr<InstanceLock> InstanceLock::TryAcquireFile(const std::filesystem::path& file,
                                                           std::string* problem) {
  UniqueFd fd = OpenLockFile(file, problem);
  if (!fd || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return nullptr;
  return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(fd)));
}

}  // namespace qor
