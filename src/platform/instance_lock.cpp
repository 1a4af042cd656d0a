// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace qor {

std::unique_ptr<InstanceLock> InstanceLock::TryAcquire(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::filesystem::path file =
      runtime && *runtime
          ? std::filesystem::path(runtime) / (name + ".lock")
          : std::filesystem::path("/tmp") / (name + "-" + std::to_string(::getuid()) + ".lock");
  return TryAcquireFile(file);
}

std::unique_ptr<InstanceLock> InstanceLock::TryAcquireFile(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // Without a lock file there is no way to tell; better to run than to refuse to start.
  if (fd < 0) return std::unique_ptr<InstanceLock>(new InstanceLock(-1));
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
