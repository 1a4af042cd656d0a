// SPDX-License-Identifier: GPL-2.0-or-later
// The two profile images the save loop alternates.
#pragma once

#include <cstring>

#include "model/factory_defaults.h"
#include "model/profile_records.h"

namespace qor::test {

// A valid profile (version 258) whose every later byte depends on `which` (0 or 1).
inline TMOUSEPROFILEINFO SaveLoopImage(int which) {
  TMOUSEPROFILEINFO p{};
  auto* bytes = reinterpret_cast<uint8_t*>(&p);
  for (std::size_t i = 0; i < sizeof p; ++i) bytes[i] = uint8_t(i * 7 + 0x55 * (which + 1));
  p.ProfileHeader.FFileVersion = kProfileFileVersion;
  return p;
}

}  // namespace qor::test
