// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds stored registry values of any type and length to the start of the data module, then
// saves like Apply. Input: records of [which value: 1 byte][type: 1 byte][length: 3 bytes LE]
// [data]. Nothing may fault, the indices in use stay in range, and whatever the module wrote
// is usable: the group record's storage settings, and profiles of this version only.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "model/data_module.h"
#include "model/wide_text.h"

namespace {

using namespace qor;

const char* const kNames[] = {kProfileSettingGroupValue, kAllProfilesValue, "QORProfile1.PFX",
                              "QORProfile2.PFX",         "QORProfile3.PFX", "QORProfile4.PFX",
                              "QORProfile5.PFX"};

int32_t versionOf(const std::vector<uint8_t>& bytes) {
  int32_t v = 0;
  if (bytes.size() >= sizeof v) std::memcpy(&v, bytes.data(), sizeof v);
  return v;
}

void checkWritten(const std::string& id, const RegistryValue& v) {
  if (v.type != ValueType::Binary) std::abort();
  if (id ==
      fuzz::MemoryRegistry::id(RootKey::CurrentUser, kRegistryKeyPath, kProfileSettingGroupValue)) {
    // A longer stored value keeps its tail: the store writes back every byte it loaded.
    if (v.data.size() < sizeof(TProfileSettingGroup)) std::abort();
    TProfileSettingGroup g;
    std::memcpy(&g, v.data.data(), sizeof g);
    for (const TProfileSettingInfo& e : g.ProfileSettingList)
      if (e.StorageKind > 1 || readWideFieldUtf8(e.FileName).empty()) std::abort();
  } else if (id !=
             fuzz::MemoryRegistry::id(RootKey::CurrentUser, kRegistryKeyPath, kAllProfilesValue)) {
    if (versionOf(v.data) != kProfileFileVersion) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::MemoryRegistry registry;
  for (std::size_t at = 0; at + 5 <= size;) {
    const char* name = kNames[data[at] % std::size(kNames)];
    const auto type = static_cast<ValueType>(data[at + 1]);
    std::size_t length =
        data[at + 2] | std::size_t(data[at + 3]) << 8 | std::size_t(data[at + 4]) << 16;
    at += 5;
    length = std::min(length, size - at);
    registry.writeValue(RootKey::CurrentUser, kRegistryKeyPath, name,
                        {type, std::vector<uint8_t>(data + at, data + at + length)});
    at += length;
  }
  const auto stored = registry.values;
  const std::filesystem::path docs = fuzz::ScratchFolder() / "docs";
  std::error_code ec;
  std::filesystem::remove_all(docs, ec);
  {
    TDM dm({registry, docs, docs, docs}, nullptr);
    if (!TDM::IsProfileIndexInRange(dm.FProfileIndex) ||
        !TDM::IsProfileGroupIndexInRange(dm.FProfileGroupIndex))
      std::abort();
    dm.SaveAllProfileData();
  }
  for (const auto& [id, value] : registry.values) {
    auto before = stored.find(id);
    if (before == stored.end() || before->second.type != value.type ||
        before->second.data != value.data)
      checkWritten(id, value);
  }
  for (const auto& e : std::filesystem::recursive_directory_iterator(docs, ec)) {
    if (!e.is_regular_file()) continue;
    std::vector<uint8_t> bytes;
    if (readWholeFile(e.path(), bytes) || versionOf(bytes) != kProfileFileVersion) std::abort();
  }
  return 0;
}
