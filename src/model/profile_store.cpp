// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/profile_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/atomic_file.h"

namespace qor {
namespace fs = std::filesystem;

namespace {

bool isFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

bool isFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::exists(path, ec) && !fs::is_directory(path, ec);
}

// Creates one folder level; its parent must exist.
std::optional<std::string> makeFolder(const std::string& folder) {
  if (isFolder(folder)) return std::nullopt;
  if (::mkdir(folder.c_str(), 0777) == 0) return std::nullopt;
  return "cannot create folder " + folder + ": " + std::strerror(errno);
}

std::string valueDescription(const TuiProfile& p) {
  return "registry value \"" + p.FileName() + "\" in key \"" + p.KeyPath() + "\"";
}

}  // namespace

void SplitFilePath(const std::string& path, std::string& folder, std::string& name) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    folder.clear();
    name = path;
  } else {
    folder = slash == 0 ? std::string("/") : path.substr(0, slash);
    name = path.substr(slash + 1);
  }
}

std::string WithTrailingSeparator(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + '/';
}

TuiProfile::TuiProfile(Registry& registry) : FRegistry(registry) {}

void TuiProfile::SetKeyPath(const std::string& path) {
  if (path != FKeyPath) FKeyPath = path;
}

void TuiProfile::SetFileName(const std::string& name) {
  if (name != FFileName) FFileName = name;
}

void TuiProfile::SetFilePath(const std::string& folder) {
  if (folder == FFilePath || !isFolder(folder)) return;
  FFilePath = WithTrailingSeparator(folder);
}

void TuiProfile::SetSize(int64_t size) {
  if (size == FSize || size < 0) return;
  FMemoryStream.resize(static_cast<std::size_t>(size), 0);
  FSize = size;
}

int TuiProfile::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  const auto n = static_cast<std::size_t>(Count);
  if (FMemoryStream.size() < n) FMemoryStream.resize(n, 0);
  std::memcpy(FMemoryStream.data(), Buffer, n);
  FSize = static_cast<int64_t>(FMemoryStream.size());
  return Count;
}

int TuiProfile::Read(void* Buffer, int Count) const {
  if (Count <= 0) return 0;
  const std::size_t n = std::min(static_cast<std::size_t>(Count), FMemoryStream.size());
  if (n) std::memcpy(Buffer, FMemoryStream.data(), n);
  return static_cast<int>(n);
}

bool TuiProfile::before(const TuiProfileEvent& event) {
  FLastError.reset();
  bool bContinue = true;
  if (event) event(FMemoryStream, bContinue);
  return bContinue;
}

void TuiProfile::after(const TuiProfileEvent2& event) {
  if (event) event(FMemoryStream);
}

bool TuiProfile::registryUsable() const {
  return (FRootKey == RootKey::CurrentUser || FRootKey == RootKey::LocalMachine) &&
         !FKeyPath.empty() && !FFileName.empty();
}

bool TuiProfile::fail(std::string message) {
  FLastError = std::move(message);
  return false;
}

bool TuiProfile::LoadStreamFromRegistry() {
  if (!before(OnBeforeLoadFromRegistry)) return false;
  if (!registryUsable()) return false;
  RegistryResult r = FRegistry.createKey(FRootKey, FKeyPath);
  if (!r.isOk()) return fail(r.message);
  RegistryValue value;
  r = FRegistry.readValue(FRootKey, FKeyPath, FFileName, value);
  if (r.status == RegistryResult::Status::NotFound) return false;
  if (!r.isOk()) return fail(r.message);
  if (value.type != ValueType::Binary)
    return fail(valueDescription(*this) + " holds data of type " +
                std::to_string(static_cast<uint32_t>(value.type)) +
                ", not binary data; remove the value to start with factory settings");
  FMemoryStream = std::move(value.data);
  after(OnAfterLoadFromRegistry);
  return true;
}

bool TuiProfile::SaveStreamToRegistry() {
  if (!before(OnBeforeSaveToRegistry)) return false;
  if (!registryUsable()) return false;
  RegistryResult r = FRegistry.createKey(FRootKey, FKeyPath);
  if (!r.isOk()) return fail(r.message);
  r = FRegistry.writeValue(FRootKey, FKeyPath, FFileName, {ValueType::Binary, FMemoryStream});
  if (!r.isOk()) return fail(r.message);
  after(OnAfterSaveToRegistry);
  return true;
}

bool TuiProfile::loadFile(const std::string& file) {
  std::vector<uint8_t> data;
  if (auto err = readWholeFile(file, data)) return fail(*err);
  FMemoryStream = std::move(data);
  return true;
}

bool TuiProfile::saveFile(const std::string& file) {
  // Every save point rewrites all five slots; most of them have not changed.
  if (auto err = writeFileAtomically(file, FMemoryStream.data(), FMemoryStream.size(),
                                     WhenUnchanged::Keep))
    return fail(*err);
  return true;
}

bool TuiProfile::LoadStreamFromFile() {
  if (!before(OnBeforeLoadFromFile)) return false;
  if (FFilePath.empty()) return false;
  FFilePath = WithTrailingSeparator(FFilePath);
  const std::string file = FFilePath + FFileName;
  if (!isFile(file)) return false;
  if (!loadFile(file)) return false;
  after(OnAfterLoadFromFile);
  return true;
}

bool TuiProfile::LoadStreamFromFile(const std::string& strFilewithpath) {
  FLastError.reset();
  if (!isFile(strFilewithpath)) return false;
  if (!before(OnBeforeLoadFromFile)) return false;
  if (!isFile(strFilewithpath)) return false;
  if (!loadFile(strFilewithpath)) return false;
  after(OnAfterLoadFromFile);
  return true;
}

bool TuiProfile::SaveStreamToFile() {
  if (!before(OnBeforeSaveToFile)) return false;
  if (FFilePath.empty()) return false;
  FFilePath = WithTrailingSeparator(FFilePath);
  if (!saveFile(FFilePath + FFileName)) return false;
  after(OnAfterSaveToFile);
  return true;
}

bool TuiProfile::SaveStreamToFile(const std::string& strFileWithPath) {
  FLastError.reset();
  std::string folder, name;
  SplitFilePath(strFileWithPath, folder, name);
  if (!folder.empty()) {
    if (auto err = makeFolder(folder)) return fail(*err);
  }
  if (!before(OnBeforeSaveToFile)) return false;
  if (!saveFile(strFileWithPath)) return false;
  after(OnAfterSaveToFile);
  return true;
}

bool TuiProfile::PreSaveStreamToFile(const std::string& strFileWithPath) {
  FLastError.reset();
  std::string folder, name;
  SplitFilePath(strFileWithPath, folder, name);
  if (!folder.empty()) {
    if (auto err = makeFolder(folder)) return fail(*err);
  }
  FFilePath = WithTrailingSeparator(folder);
  FFileName = name;
  return true;
}

void TuiProfile::RestoreToDefault() {
  if (OnRestoreToDefault) OnRestoreToDefault(FMemoryStream);
}

}  // namespace qor
