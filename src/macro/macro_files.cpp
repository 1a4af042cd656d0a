// SPDX-License-Identifier: GPL-2.0-or-later
#include "macro/macro_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "macro/macro_model.h"
#include "model/profile_store.h"
#include "model/wide_text.h"
#include "platform/atomic_file.h"

namespace qor {
namespace fs = std::filesystem;

namespace {

const char kExtension[] = ".macro";

// Why one macro's file was not written; `fatal` ends the run, as a failing disk or folder
// would fail the next files too.
struct Failure {
  bool fatal;
  std::string text;
};

std::optional<Failure> ensureFolder(const std::string& folder) {
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return std::nullopt;
  if (::mkdir(folder.c_str(), 0777) == 0) return std::nullopt;
  const int err = errno;
  return Failure{true, "cannot create the macro folder " + folder + ": " + std::strerror(err)};
}

// Refuses names that would not name one file inside the folder.
std::optional<Failure> checkName(const std::string& folder, const std::string& name) {
  auto refuse = [&](const std::string& why) {
    return Failure{false, "cannot write the file of macro \"" + name + "\": " + why};
  };
  if (name.find('/') != std::string::npos)
    return refuse("a file name cannot hold \"/\"; rename the macro without it");
  long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  if (nameMax <= 0) nameMax = NAME_MAX;
  if (name.size() + std::strlen(kExtension) > static_cast<std::size_t>(nameMax))
    return refuse("the name is too long for a file name on this file system; choose a shorter one");
  return std::nullopt;
}

// Creates the folder when missing and checks the name; returns the file's path.
std::optional<Failure> prepare(const std::string& folder, const TMACROKEYINFO& record,
                               std::string& file) {
  const std::string name = toUtf8(MacroName(record));
  if (auto failure = ensureFolder(folder)) return failure;
  if (auto failure = checkName(folder, name)) return failure;
  file = MacroFileName(folder, MacroName(record));
  return std::nullopt;
}

std::optional<Failure> writeRecord(const std::string& file, const TMACROKEYINFO& record) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
  if (auto error = writeFileAtomically(file, bytes, sizeof(record))) return Failure{true, *error};
  return std::nullopt;
}

std::optional<std::string> noFolder() {
  return std::string("cannot write a macro file: no macro folder is given");
}

}  // namespace

std::string MacroFileName(const std::string& AMacroPath, std::u16string_view AMacroName) {
  return WithTrailingSeparator(AMacroPath) + toUtf8(AMacroName) + kExtension;
}

std::optional<std::string> SaveMacroKeyInfoListToMacroFiles(
    const TMACROKEYINFOLIST& AMacroKeyInfoList, const std::string& AMacroPath) {
  if (AMacroPath.empty()) return noFolder();
  const int count = AMacroKeyInfoList.nMacroInfoCount;
  if (count > kProfileMacroSlots)
    return "cannot write the macro files: the list claims " + std::to_string(count) +
           " macros, at most " + std::to_string(kProfileMacroSlots) + " are possible";
  std::string errors;
  for (int i = 0; i < count; ++i) {
    const TMACROKEYINFO& record = AMacroKeyInfoList.MacroInfos[i];
    std::string file;
    std::optional<Failure> failure = prepare(AMacroPath, record, file);
    if (!failure) failure = writeRecord(file, record);
    if (!failure) continue;
    if (!errors.empty()) errors += '\n';
    errors += failure->text;
    if (failure->fatal) break;
  }
  if (errors.empty()) return std::nullopt;
  return errors;
}

bool LoadMacroFromFile(const std::string& AMacroFile, TMACROKEYINFO& AMacroKeyInfo,
                       std::string* AError) {
  std::error_code ec;
  if (!fs::exists(AMacroFile, ec)) return false;
  std::vector<uint8_t> data;
  if (auto error = readWholeFile(AMacroFile, data)) {
    if (AError) *AError = *error;
    return false;
  }
  if (!data.empty())
    std::memcpy(&AMacroKeyInfo, data.data(), std::min(data.size(), sizeof(AMacroKeyInfo)));
  return true;
}

bool IsValidMacroVersion(const TMACROKEYINFO& AMacroKeyInfo) {
  return AMacroKeyInfo.Version == kMacroFileVersion;
}

std::optional<std::string> SaveEmptyMacroFile(std::u16string_view AMacroName,
                                              const std::string& AMacroPath) {
  if (AMacroPath.empty()) return noFolder();
  TMACROKEYINFO record{};
  SetMacroName(record, AMacroName);
  record.Version = kMacroFileVersion;
  std::string file;
  std::optional<Failure> failure = prepare(AMacroPath, record, file);
  if (!failure) {
    std::error_code ec;
    const fs::file_status st = fs::status(file, ec);
    if (fs::is_regular_file(st)) return std::nullopt;
    if (fs::exists(st))
      return "cannot write the file of macro \"" + toUtf8(MacroName(record)) + "\": " + file +
             " exists and is not a file";
    failure = writeRecord(file, record);
  }
  if (failure) return failure->text;
  return std::nullopt;
}

}  // namespace qor
