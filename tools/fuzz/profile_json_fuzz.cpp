// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any byte string as a profile document to the import: a document it refuses names why;
// a document it takes is a profile of this version that becomes the current profile, and that
// profile written as a document and read again gives the same bytes.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "fuzz_support.h"
#include "model/data_module.h"
#include "model/profile_import.h"
#include "settings/profile_json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace qor;
  static fuzz::MemoryRegistry registry;
  static std::unique_ptr<TDM> dm;
  const std::filesystem::path docs = fuzz::ScratchFolder() / "docs";
  if (!dm) dm = std::make_unique<TDM>(DataModuleEnvironment{registry, docs, docs, docs}, nullptr);
  const ParsedProfile parsed =
      ParseProfileJson(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!parsed.profile) {
    if (parsed.why.empty()) std::abort();
    return 0;
  }
  if (parsed.profile->ProfileHeader.FFileVersion != kProfileFileVersion) std::abort();
  ImportProfileRecord(*dm, *parsed.profile);
  if (std::memcmp(&dm->FCurrentProfileInfo, parsed.profile.get(), sizeof(TMOUSEPROFILEINFO)) != 0)
    std::abort();
  const ParsedProfile again = ParseProfileJson(ProfileToJson(dm->FCurrentProfileInfo));
  if (!again.profile ||
      std::memcmp(again.profile.get(), parsed.profile.get(), sizeof(TMOUSEPROFILEINFO)) != 0)
    std::abort();
  return 0;
}
