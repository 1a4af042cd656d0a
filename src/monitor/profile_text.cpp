// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/profile_text.h"

namespace qor {

std::optional<std::string> ProfileJsonText(const TMOUSEPROFILEINFO&) {
  // The profile JSON writer (settings/profile_json.h) is not in this build yet; once it is,
  // this returns ProfileToJson(profile). Until then nothing is made up in its place.
  return std::nullopt;
}

}  // namespace qor
