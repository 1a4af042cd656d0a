// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/memory_backup.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "protocol/device_commands.h"

namespace qor {
namespace {

constexpr char kMagic[8] = {'Q', 'O', 'R', '5', '1', 'M', 'E', 'M'};
constexpr std::size_t kVersionAt = 8, kLengthAt = 12, kModelAt = 16, kTimeAt = 32, kCrcAt = 40;

void putLE(std::vector<uint8_t>& b, std::size_t at, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

uint64_t getLE(const std::vector<uint8_t>& b, std::size_t at, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint64_t(b[at + i]) << (8 * i);
  return v;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, std::size_t size) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string ModelNumberOf(const uint8_t* field) {
  const auto* end = std::find(field, field + kModelNumberSize, 0);
  return std::string(field, end);
}

std::vector<uint8_t> EncodeMemoryBackup(const std::vector<uint8_t>& memory, int64_t time) {
  std::vector<uint8_t> file(kBackupHeaderSize + memory.size(), 0);
  std::memcpy(file.data(), kMagic, sizeof kMagic);
  putLE(file, kVersionAt, kBackupFormatVersion, 4);
  putLE(file, kLengthAt, memory.size(), 4);
  std::copy_n(memory.begin(), std::min(memory.size(), kModelNumberSize), file.begin() + kModelAt);
  putLE(file, kTimeAt, uint64_t(time), 8);
  putLE(file, kCrcAt, Crc32(memory.data(), memory.size()), 4);
  std::copy(memory.begin(), memory.end(), file.begin() + kBackupHeaderSize);
  return file;
}

std::variant<MemoryBackup, std::string> DecodeMemoryBackup(const std::vector<uint8_t>& file) {
  if (file.size() < kBackupHeaderSize || std::memcmp(file.data(), kMagic, sizeof kMagic) != 0)
    return std::string("not a backup of the mouse's memory");
  if (const uint64_t v = getLE(file, kVersionAt, 4); v != kBackupFormatVersion)
    return "a backup of format version " + std::to_string(v) + ", which this program does not read";
  const uint64_t length = getLE(file, kLengthAt, 4);
  if (length != kDeviceMemorySize)
    return "the backup holds " + std::to_string(length) + " bytes of memory; this mouse has " +
           std::to_string(kDeviceMemorySize);
  if (file.size() != kBackupHeaderSize + length)
    return "the file has " + std::to_string(file.size() - kBackupHeaderSize) +
           " bytes of memory where its header announces " + std::to_string(length) +
           " (cut or extended)";
  MemoryBackup backup;
  backup.memory.assign(file.begin() + kBackupHeaderSize, file.end());
  if (Crc32(backup.memory.data(), backup.memory.size()) != getLE(file, kCrcAt, 4))
    return std::string("the memory in the file is damaged (its checksum differs)");
  if (!std::equal(file.begin() + kModelAt, file.begin() + kModelAt + kModelNumberSize,
                  backup.memory.begin() + kModelNumberAddress))
    return std::string("the header's model number differs from the one in the memory");
  backup.model = ModelNumberOf(file.data() + kModelAt);
  backup.time = int64_t(getLE(file, kTimeAt, 8));
  return backup;
}

std::error_code ReadDeviceMemory(TuiHIDData& device, std::vector<uint8_t>& memory) {
  std::vector<uint8_t> read(kDeviceMemorySize);
  for (std::size_t at = 0; at < read.size(); at += kMemoryChunkSize) {
    const auto length = uint16_t(std::min<std::size_t>(kMemoryChunkSize, read.size() - at));
    if (std::error_code r = ReadDeviceBlock(device, read.data() + at, length, uint16_t(at)))
      return r;
  }
  memory = std::move(read);
  return {};
}

std::error_code WriteDeviceMemory(TuiHIDData& device, const std::vector<uint8_t>& memory,
                                  const std::function<void()>& between) {
  if (memory.size() != kDeviceMemorySize) return std::make_error_code(std::errc::invalid_argument);
  for (std::size_t at = 0; at < memory.size(); at += kMemoryChunkSize) {
    const auto length = uint16_t(std::min<std::size_t>(kMemoryChunkSize, memory.size() - at));
    if (std::error_code r = WriteDeviceBlock(device, memory.data() + at, length, uint16_t(at)))
      return r;
    if (between) between();
  }
  return {};
}

}  // namespace qor
