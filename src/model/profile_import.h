// SPDX-License-Identifier: GPL-2.0-or-later
// Importing a profile file into the current profile.
#pragma once

#include <string>

#include "model/data_module.h"

namespace qor {

// The text shown when a file is not a profile of this version.
inline constexpr const char* kProfileVersionIncorrect = "Gaming Mouse Profile Version Incorrect!";

struct ProfileFileCheck {
  enum class Verdict {
    Ok,
    Unreadable,        // the file could not be read; `detail` says why
    VersionIncorrect,  // the version field is not 258
    WrongSize,         // version 258, but not a whole profile; `detail` says the size
  };
  Verdict verdict = Verdict::Ok;
  std::string detail;
  std::size_t size = 0;  // of the file read
  int32_t version = 0;   // its version field
};

// Reads `file` into a store of its own and checks it as a profile to import.
ProfileFileCheck CheckProfileFile(Registry& registry, const std::string& file);

// Checks `file`, then loads it into the current slot, writes it back, saves the slot to the
// registry and tells the main window. Nothing changes unless the check passed.
ProfileFileCheck ImportProfileFile(TDM& dm, const std::string& file);

// Makes `profile` the current profile as an import of a file does: writes it back, saves the
// slot to the registry and tells the main window.
void ImportProfileRecord(TDM& dm, const TMOUSEPROFILEINFO& profile);

}  // namespace qor
