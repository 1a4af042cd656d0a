// SPDX-License-Identifier: GPL-2.0-or-later
// Reading a sysfs attribute.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace qor {

// The contents of a sysfs file, at most `maxSize` bytes; false when it cannot be read or holds
// more. Not readWholeFile: sysfs reports every text attribute as a page long, so a check of
// the reported size would refuse a four-character bNumInterfaces; the bytes read count.
bool ReadSysfsFile(const std::filesystem::path& file, std::size_t maxSize, std::string& out);

}  // namespace qor
