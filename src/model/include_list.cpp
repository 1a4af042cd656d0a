// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/include_list.h"

#include <algorithm>

#include "model/ascii_text.h"
#include "model/settings_file.h"
#include "platform/paths.h"

namespace qor {

std::vector<std::filesystem::path> IncludeListFiles(const std::filesystem::path& program) {
  return {program / "config.ini", paths::systemConfig() / "config.ini",
          paths::userConfig() / "config.ini"};
}

std::vector<std::string> MergeIncludeLists(const std::vector<std::filesystem::path>& files) {
  std::vector<std::string> merged;
  for (const std::filesystem::path& file : files) {
    for (std::string& id : ReadIncludeHIDDeviceList(SettingsFile::load(file))) {
      // Matching ignores letter case, so a second spelling would only repeat the first.
      const bool taken = std::any_of(merged.begin(), merged.end(),
                                     [&](const std::string& m) { return equalsNoCase(m, id); });
      if (!taken) merged.push_back(std::move(id));
    }
  }
  return merged;
}

std::vector<std::string> ReadIncludeList(const std::filesystem::path& program) {
  return MergeIncludeLists(IncludeListFiles(program));
}

}  // namespace qor
