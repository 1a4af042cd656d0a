// SPDX-License-Identifier: GPL-2.0-or-later
// Factory values of the stored records.
//
// Each function writes only the fields it names; every other byte keeps what the record
// held, so a reset keeps carried fields, macro records behind a zero count and so on.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "model/profile_records.h"

namespace qor {

// The factory profile (slots 1 to 5 and the default profile).
void RestoreFactoryProfile(TMOUSEPROFILEINFO& p);
// The test profile: a zero image with six buttons, the sixth a key-bit function.
void RestoreFactoryTestProfile(TMOUSEPROFILEINFO& p);
// Five file-based slots "QORProfile1.PFX".. in `documentsFolder`, their macros in
// "ETProfile1_Macros".. beside the files. Returns false (record unchanged) when a folder does
// not fit its field.
bool RestoreFactoryProfileSettingGroup(TProfileSettingGroup& g, const std::string& documentsFolder);
// The longest profile folder (UTF-16 units) whose macro folders still fit their field.
inline constexpr int kLongestProfileFolder = kPathUnits - 18;  // room for "/ETProfile1_Macros"
// The all-profiles record.
void RestoreFactoryAllGamesInfo(TALLGAMESINFO& a);
// The sensitivity part of a profile.
void RestoreDefaultCPISetting(TMOUSEPROFILEINFO& p);
// LED, report rate and rapid-fire part of a profile.
void RestoreDefaultLightAndReportAdvancedSetting(TMOUSEPROFILEINFO& p);

// Runs `fill` on the record at the start of a store's stream, first extending a shorter
// stream with zero bytes to the record's size. Bytes past the record are not touched.
template <StoredRecord T, typename Fill>
void FillRecordInStream(std::vector<uint8_t>& stream, Fill&& fill) {
  if (stream.size() < sizeof(T)) stream.resize(sizeof(T), 0);
  // On the heap: a profile record is too large for the stack.
  auto record = std::make_unique<T>();
  std::memcpy(record.get(), stream.data(), sizeof(T));
  fill(*record);
  std::memcpy(stream.data(), record.get(), sizeof(T));
}

}  // namespace qor
