// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any byte string as a .PFX file to the import: a file it refuses leaves the current
// profile as it was; a file it takes is a whole profile of this version, and so is the
// current profile afterwards.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz_support.h"
#include "model/data_module.h"
#include "model/profile_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace qor;
  static fuzz::MemoryRegistry registry;
  static std::unique_ptr<TDM> dm;
  const std::filesystem::path file = fuzz::InputFile(data, size, "input.PFX");
  const std::filesystem::path docs = fuzz::ScratchFolder() / "docs";
  if (!dm) dm = std::make_unique<TDM>(DataModuleEnvironment{registry, docs, docs, docs}, nullptr);
  const TMOUSEPROFILEINFO before = dm->FCurrentProfileInfo;
  const ProfileFileCheck check = ImportProfileFile(*dm, file.string());
  const bool same = std::memcmp(&before, &dm->FCurrentProfileInfo, sizeof before) == 0;
  if (check.verdict != ProfileFileCheck::Verdict::Ok) {
    if (!same) std::abort();
    return 0;
  }
  if (size != sizeof(TMOUSEPROFILEINFO) ||
      dm->FCurrentProfileInfo.ProfileHeader.FFileVersion != kProfileFileVersion ||
      std::memcmp(data, &dm->FCurrentProfileInfo, size) != 0)
    std::abort();
  return 0;
}
