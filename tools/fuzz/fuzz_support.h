// SPDX-License-Identifier: GPL-2.0-or-later
// What several fuzz targets share: a registry kept in memory and a scratch folder on tmpfs.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "model/ascii_text.h"
#include "platform/atomic_file.h"
#include "platform/registry.h"

namespace qor::fuzz {

// Values in a map; names compared without regard to case, as the real registry does.
class MemoryRegistry final : public Registry {
 public:
  RegistryResult createKey(RootKey, std::string_view) override { return RegistryResult::ok(); }
  RegistryResult readValue(RootKey root, std::string_view key, std::string_view name,
                           RegistryValue& out) override {
    auto it = values.find(id(root, key, name));
    if (it == values.end()) return RegistryResult::notFound();
    out = it->second;
    return RegistryResult::ok();
  }
  RegistryResult writeValue(RootKey root, std::string_view key, std::string_view name,
                            const RegistryValue& value) override {
    values[id(root, key, name)] = value;
    return RegistryResult::ok();
  }
  RegistryResult deleteValue(RootKey root, std::string_view key, std::string_view name) override {
    return values.erase(id(root, key, name)) ? RegistryResult::ok() : RegistryResult::notFound();
  }
  static std::string id(RootKey root, std::string_view key, std::string_view name) {
    std::string s =
        std::to_string(uint32_t(root)) + "|" + std::string(key) + "|" + std::string(name);
    for (char& c : s) c = asciiLower(c);
    return s;
  }
  std::map<std::string, RegistryValue> values;
};

// A folder of this process on tmpfs when there is one (saves flush to disk), removed at exit.
inline const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::string tmpl = (std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp");
    tmpl += "/qorfuzz.XXXXXX";
    if (!::mkdtemp(tmpl.data())) std::abort();
    std::atexit([] { std::filesystem::remove_all(ScratchFolder()); });
    return std::filesystem::path(tmpl);
  }();
  return folder;
}

// Writes the fuzz input as the only file of the scratch folder's "in" folder.
inline std::filesystem::path InputFile(const uint8_t* data, std::size_t size, const char* name) {
  const std::filesystem::path in = ScratchFolder() / "in";
  std::error_code ec;
  std::filesystem::remove_all(in, ec);
  std::filesystem::create_directories(in);
  const std::filesystem::path file = in / name;
  if (writeFileAtomically(file, data, size)) std::abort();
  return file;
}

}  // namespace qor::fuzz
