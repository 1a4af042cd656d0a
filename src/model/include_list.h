// SPDX-License-Identifier: GPL-2.0-or-later
// The include list as every program uses it: the entries of the program folder's config.ini,
// then the machine's, then the user's, so that a mouse is added without touching the
// package's files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qor {

// The config.ini files whose include lists count, in the order their entries are taken: the
// program folder's, paths::systemConfig()'s, paths::userConfig()'s.
std::vector<std::filesystem::path> IncludeListFiles(const std::filesystem::path& program);

// The include lists of `files` (each read as ReadIncludeHIDDeviceList reads one), one after
// another; an entry already taken, letter case ignored, is skipped. Missing files add nothing.
std::vector<std::string> MergeIncludeLists(const std::vector<std::filesystem::path>& files);

// MergeIncludeLists(IncludeListFiles(program)): read again at every device change, so an entry
// added meanwhile counts from the next plug-in on.
std::vector<std::string> ReadIncludeList(const std::filesystem::path& program);

}  // namespace qor
