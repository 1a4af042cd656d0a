// SPDX-License-Identifier: GPL-2.0-or-later
// The registry service: typed values under case-insensitive key paths, one store per root.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qor {

// Root key handles, numbered as the stored settings and callers know them.
enum class RootKey : uint32_t {
  None = 0,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
};

// Value types, numbered as the registry numbers them.
enum class ValueType : uint32_t {
  None = 0,
  String = 1,
  ExpandString = 2,
  Binary = 3,
  DWord = 4,
  MultiString = 7,
  QWord = 11,
};

struct RegistryValue {
  ValueType type = ValueType::None;
  std::vector<uint8_t> data;
};

// Outcome of one registry operation; `message` says what failed and where when `Failed`.
struct RegistryResult {
  enum class Status { Ok, NotFound, Failed };
  Status status = Status::Ok;
  std::string message;

  static RegistryResult ok() { return {}; }
  static RegistryResult notFound() { return {Status::NotFound, {}}; }
  static RegistryResult failed(std::string why) { return {Status::Failed, std::move(why)}; }
  bool isOk() const { return status == Status::Ok; }
};

// Key paths use `\` as separator; leading, trailing and doubled separators are ignored.
// Key paths and value names are compared without regard to ASCII letter case.
class Registry {
 public:
  virtual ~Registry() = default;

  // Opens the key, creating it (and its parents) when missing. Failed when the root is
  // not served or the database cannot be opened or written.
  virtual RegistryResult createKey(RootKey root, std::string_view keyPath) = 0;

  // Reads one value. NotFound when the key or the value does not exist.
  virtual RegistryResult readValue(RootKey root, std::string_view keyPath, std::string_view name,
                                   RegistryValue& out) = 0;

  // Writes one value in a single transaction, creating the key when missing.
  virtual RegistryResult writeValue(RootKey root, std::string_view keyPath, std::string_view name,
                                    const RegistryValue& value) = 0;

  // Removes one value. NotFound when it did not exist.
  virtual RegistryResult deleteValue(RootKey root, std::string_view keyPath,
                                     std::string_view name) = 0;

  // Makes the writes of `root` until the matching endBatch one transaction: all of them are
  // kept, or none. Batches nest; the outermost one decides. A store that cannot group writes
  // keeps each as it comes (this default).
  virtual RegistryResult beginBatch(RootKey) { return RegistryResult::ok(); }
  // Ends a batch: keeps its writes when every one succeeded; otherwise undoes them all and
  // says so (Failed).
  virtual RegistryResult endBatch(RootKey) { return RegistryResult::ok(); }
};

}  // namespace qor
