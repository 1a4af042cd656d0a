// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/pointer_restore.h"

#include "app/pointer_worker.h"
#include "model/stored_profile.h"

namespace qor {

StoredPointerRestore::StoredPointerRestore(Registry& registry,
                                           std::shared_ptr<PointerSettings> pointer)
    : FRegistry(registry), FPointer(std::move(pointer)) {}

bool StoredPointerRestore::Restore(std::optional<int> profile) {
  FProblem.clear();
  if (!profile) profile = StoredCurrentProfileIndex(FRegistry);
  if (!profile) {
    FProblem = "no current profile is stored yet";
    return false;
  }
  auto record = std::make_unique<TMOUSEPROFILEINFO>();
  if (!ReadStoredProfile(FRegistry, *profile, *record, FProblem)) return false;
  // The same values and order as Apply's pointer step, then the double-click time that the
  // sensitivity window hands on at once.
  const PointerSettingsBuffer buffer = BuildPointerSettingsBuffer(*record);
  RunPointerWorker(*FPointer, buffer.data(), static_cast<uint32_t>(buffer.size()));
  FPointer->setDoubleClickTime(record->ConfigInfo.DoubleClickSpeed);
  return true;
}

bool StoredPointerRestore::MousePresence(bool present, std::optional<int> profile) {
  const bool came = present && !FPresent;
  FPresent = present;
  return came && Restore(profile);
}

}  // namespace qor
