// SPDX-License-Identifier: GPL-2.0-or-later
// TuiProfile: one record image in a memory stream, moved between memory, one registry
// value and one file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/profile_records.h"
#include "platform/registry.h"

namespace qor {

class TuiProfile {
 public:
  using Stream = std::vector<uint8_t>;
  using TuiProfileOnRestoreToDefault = std::function<void(Stream& AStream)>;
  using TuiProfileEvent = std::function<void(Stream& AStream, bool& bContinue)>;
  using TuiProfileEvent2 = std::function<void(Stream& AStream)>;

  // `registry` serves the registry operations; it must outlive the store.
  explicit TuiProfile(Registry& registry);
  TuiProfile(const TuiProfile&) = delete;
  TuiProfile& operator=(const TuiProfile&) = delete;

  RootKey GetRootKey() const { return FRootKey; }
  void SetRootKey(RootKey root) { FRootKey = root; }
  const std::string& KeyPath() const { return FKeyPath; }
  void SetKeyPath(const std::string& path);
  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& name);
  const std::string& FilePath() const { return FFilePath; }
  // Takes the folder only when it exists; appends the separator when missing.
  void SetFilePath(const std::string& folder);
  int64_t Size() const { return FSize; }
  // Resizes the stream (existing bytes kept, new bytes zero) when `size` differs from Size().
  void SetSize(int64_t size);

  // Writes `Count` bytes at the start of the stream (it grows, never shrinks); returns Count.
  int Write(const void* Buffer, int Count);
  // Copies min(Count, stream size) bytes into Buffer; returns that number.
  int Read(void* Buffer, int Count) const;
  template <StoredRecord T>
  int Write(const T& record) {
    return Write(&record, static_cast<int>(sizeof(T)));
  }
  template <StoredRecord T>
  int Read(T& record) const {
    return Read(&record, static_cast<int>(sizeof(T)));
  }
  const Stream& StreamBytes() const { return FMemoryStream; }

  // Each returns false when not done. When the file or registry layer failed, LastError()
  // says what failed and why; the stream is then unchanged.
  bool LoadStreamFromRegistry();
  bool SaveStreamToRegistry();
  bool LoadStreamFromFile();
  bool LoadStreamFromFile(const std::string& strFilewithpath);
  bool SaveStreamToFile();
  bool SaveStreamToFile(const std::string& strFileWithPath);
  bool PreSaveStreamToFile(const std::string& strFileWithPath);
  // Calls OnRestoreToDefault with the stream, when assigned.
  void RestoreToDefault();

  // The layer error of the last operation, if it failed in the layer.
  const std::optional<std::string>& LastError() const { return FLastError; }

  TuiProfileOnRestoreToDefault OnRestoreToDefault;
  TuiProfileEvent OnBeforeSaveToRegistry, OnBeforeSaveToFile, OnBeforeLoadFromRegistry,
      OnBeforeLoadFromFile;
  TuiProfileEvent2 OnAfterSaveToRegistry, OnAfterSaveToFile, OnAfterLoadFromRegistry,
      OnAfterLoadFromFile;

 private:
  bool before(const TuiProfileEvent& event);
  void after(const TuiProfileEvent2& event);
  bool registryUsable() const;
  bool fail(std::string message);
  bool loadFile(const std::string& file);
  bool saveFile(const std::string& file);

  Registry& FRegistry;
  Stream FMemoryStream;
  RootKey FRootKey = RootKey::None;
  std::string FKeyPath;
  std::string FFileName;
  std::string FFilePath;
  int64_t FSize = 0;
  std::optional<std::string> FLastError;
};

// Splits "folder/name" into the folder (without trailing separator) and the name.
void SplitFilePath(const std::string& path, std::string& folder, std::string& name);

// `folder` with the separator appended when it does not end with one.
std::string WithTrailingSeparator(const std::string& folder);

}  // namespace qor
