// SPDX-License-Identifier: GPL-2.0-or-later
// The profiles as the configurator stored them, read without writing anything: for programs
// beside it (the monitor) that must never replace what it keeps.
#pragma once

#include <optional>
#include <string>

#include "model/profile_records.h"
#include "platform/registry.h"

namespace qor {

// The current profile index (0..4) of the all-profiles record; nothing when the record is
// missing, short, unreadable or holds an index out of range.
std::optional<int> StoredCurrentProfileIndex(Registry& registry);

// Reads profile slot `index` (0..4) from where the storage settings keep it: its registry
// value or its file. False, with the reason in `problem`, when the settings or the slot are
// missing or unreadable or the slot holds no profile of this version; `profile` is then
// untouched.
bool ReadStoredProfile(Registry& registry, int index, TMOUSEPROFILEINFO& profile,
                       std::string& problem);

}  // namespace qor
