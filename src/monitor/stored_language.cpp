// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/stored_language.h"

#include <cstring>

#include "model/data_module.h"
#include "model/profile_records.h"

namespace qor {

int StoredLanguageIndex(Registry& registry) {
  RegistryValue value;
  const RegistryResult r =
      registry.readValue(RootKey::CurrentUser, kRegistryKeyPath, kAllProfilesValue, value);
  TALLGAMESINFO record{};
  if (!r.isOk() || value.type != ValueType::Binary || value.data.size() < sizeof record) return 0;
  std::memcpy(&record, value.data.data(), sizeof record);
  return record.CurrentLanguage;
}

}  // namespace qor
