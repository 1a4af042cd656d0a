// SPDX-License-Identifier: GPL-2.0-or-later
// Lock files for flock(2), in the user's private runtime folder.
#pragma once

#include <filesystem>
#include <string>

#include "platform/unique_fd.h"

namespace qor {

// Opens (or creates, mode 0600) the lock file `file` without following a link planted in its
// place; an empty descriptor with the reason in `problem` (if given) when it cannot be had.
UniqueFd OpenLockFile(const std::filesystem::path& file, std::string* problem);

}  // namespace qor
