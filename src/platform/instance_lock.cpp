// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    if (problem)
      *problem = "cannot open the lock file " + file.string() + ": " + std::strerror(errno);
    return nullptr;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace qor
