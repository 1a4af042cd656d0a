// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/lock_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

namespace qor {

UniqueFd OpenLockFile(const std::filesystem::path& file, std::string* problem) {
  UniqueFd fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd && problem)
    *problem = "cannot open the lock file " + file.string() + ": " + std::strerror(errno);
  return fd;
}

}  // namespace qor
