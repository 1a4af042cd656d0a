// SPDX-License-Identifier: GPL-2.0-or-later
// The profile as the JSON text that ExportProfile hands out.
#pragma once

#include <optional>
#include <string>

#include "model/profile_records.h"

namespace qor {

// The profile's JSON text; none while this build has no JSON writer for profiles.
std::optional<std::string> ProfileJsonText(const TMOUSEPROFILEINFO& profile);

}  // namespace qor
