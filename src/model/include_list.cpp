// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/include_list.h"

#include <algorithm>
#include <optional>

#include "model/ascii_text.h"
#include "model/settings_file.h"
#include "platform/ini_text.h"
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

IncludeListAddition AddIncludeListEntry(std::string text, const std::string& entry) {
  using Outcome = IncludeListAddition::Outcome;
  const auto refuse = [&](std::string why) {
    return IncludeListAddition{Outcome::Refused, std::move(text), std::move(why)};
  };
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
    return refuse("is UTF-16 text; save it as UTF-8, or add the line by hand");
  const auto lists = [&](const std::string& changed) {
    const std::vector<std::string> ids = ReadIncludeHIDDeviceList(SettingsFile::parse(changed));
    return std::any_of(ids.begin(), ids.end(),
                       [&](const std::string& id) { return equalsNoCase(id, entry); });
  };
  if (lists(text)) return {Outcome::AlreadyListed, std::move(text), {}};
  const std::size_t listed = ReadIncludeHIDDeviceList(SettingsFile::parse(text)).size();
  if (listed >= kMaxIncludeListEntries)
    return refuse("has a full include list (" + std::to_string(kMaxIncludeListEntries) +
                  " entries); remove one, or add the mouse to another config.ini (--config FILE)");
  const std::string key = "id" + std::to_string(listed + 1);
  std::optional<std::string> changed = SetIniValue(text, "IncludeHIDDeviceList", key, entry);
  if (!changed || !lists(*changed))
    return refuse(
        "has an [IncludeHIDDeviceList] section the entry cannot be added to as the program "
        "reads it; add the line " +
        key + "=" + entry + " by hand");
  return {Outcome::Added, std::move(*changed), {}};
}

std::vector<std::string> ReadIncludeList(const std::filesystem::path& program) {
  return MergeIncludeLists(IncludeListFiles(program));
}

}  // namespace qor
