// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/sysfs_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/unique_fd.h"

namespace qor {

bool ReadSysfsFile(const std::filesystem::path& file, std::size_t maxSize, std::string& out) {
  UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return false;
  out.clear();
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (out.size() + std::size_t(n) > maxSize) return false;
    out.append(buffer, std::size_t(n));
  }
}

}  // namespace qor
