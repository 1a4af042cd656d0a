// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/stored_profile.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "model/data_module.h"
#include "model/profile_store.h"
#include "model/wide_text.h"
#include "platform/atomic_file.h"

namespace qor {
namespace {

// The binary registry value `name`, or why not.
bool readBinary(Registry& registry, const std::string& name, std::vector<uint8_t>& out,
                std::string& problem) {
  RegistryValue value;
  const RegistryResult r = registry.readValue(RootKey::CurrentUser, kRegistryKeyPath, name, value);
  if (r.status == RegistryResult::Status::NotFound) {
    problem = "the settings value \"" + name + "\" is missing";
    return false;
  }
  if (!r.isOk()) {
    problem = r.message;
    return false;
  }
  if (value.type != ValueType::Binary) {
    problem = "the settings value \"" + name + "\" is of another type";
    return false;
  }
  out = std::move(value.data);
  return true;
}

}  // namespace

std::optional<int> StoredCurrentProfileIndex(Registry& registry) {
  std::vector<uint8_t> bytes;
  std::string ignored;
  TALLGAMESINFO record{};
  if (!readBinary(registry, kAllProfilesValue, bytes, ignored) || bytes.size() < sizeof record)
    return std::nullopt;
  std::memcpy(&record, bytes.data(), sizeof record);
  if (!TDM::IsProfileIndexInRange(record.CurrentGame)) return std::nullopt;
  return record.CurrentGame;
}

bool ReadStoredProfile(Registry& registry, int index, TMOUSEPROFILEINFO& profile,
                       std::string& problem) {
  if (!TDM::IsProfileIndexInRange(index)) {
    problem = "there is no profile " + std::to_string(index + 1);
    return false;
  }
  std::vector<uint8_t> bytes;
  auto group = std::make_unique<TProfileSettingGroup>();
  if (!readBinary(registry, kProfileSettingGroupValue, bytes, problem)) return false;
  if (bytes.size() < sizeof *group) {
    problem = "the profile storage settings are too short";
    return false;
  }
  std::memcpy(group.get(), bytes.data(), sizeof *group);
  const TProfileSettingInfo& slot = group->ProfileSettingList[index];
  const std::string name = readWideFieldUtf8(slot.FileName);
  if (slot.StorageKind == 1) {
    const std::string file = WithTrailingSeparator(readWideFieldUtf8(slot.FilePath)) + name;
    if (auto why = readWholeFile(file, bytes)) {
      problem = *why;
      return false;
    }
  } else if (!readBinary(registry, name, bytes, problem)) {
    return false;
  }
  // A shorter stream loads as far as it goes, as the configurator loads it.
  auto read = std::make_unique<TMOUSEPROFILEINFO>();
  std::memcpy(read.get(), bytes.data(), std::min(bytes.size(), sizeof *read));
  if (read->ProfileHeader.FFileVersion != kProfileFileVersion) {
    problem = "profile " + std::to_string(index + 1) + " holds no profile of this version";
    return false;
  }
  profile = *read;
  return true;
}

}  // namespace qor
