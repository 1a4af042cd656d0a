// SPDX-License-Identifier: GPL-2.0-or-later
// A copy of the mouse's whole memory in a file, and moving it between the mouse and the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

namespace qor {

class TuiHIDData;

// The backup file: a 48-byte header, then the memory as the mouse holds it.
//   0  8 bytes  "QOR51MEM"
//   8  u32 LE   format version (1)
//  12  u32 LE   memory length (2408)
//  16  16 bytes model number as the mouse stores it at address 0
//  32  i64 LE   when the copy was taken, seconds since 1970 (UTC)
//  40  u32 LE   CRC-32 (IEEE) of the memory bytes
//  44  u32      reserved, 0
inline constexpr std::size_t kBackupHeaderSize = 48;
inline constexpr uint32_t kBackupFormatVersion = 1;

// The largest block moved in one exchange: the payload of a 1024-byte report, the size
// class Apply's own largest writes use, so a mouse that takes an upload takes a backup.
inline constexpr uint16_t kMemoryChunkSize = 1016;

struct MemoryBackup {
  std::string model;  // up to the first 0 byte
  int64_t time = 0;   // seconds since 1970 (UTC)
  std::vector<uint8_t> memory;
};

// CRC-32 as zlib and PNG compute it.
uint32_t Crc32(const uint8_t* data, std::size_t size);

// The model number in a memory image or a model field: the bytes before the first 0 (at most
// 16).
std::string ModelNumberOf(const uint8_t* field);

// The file for `memory` (kDeviceMemorySize bytes) taken at `time`.
std::vector<uint8_t> EncodeMemoryBackup(const std::vector<uint8_t>& memory, int64_t time);
// The backup in `file`, or why it is no backup of this mouse's memory (another format, a
// length other than the memory's, a cut or damaged file, a header that disagrees with the
// memory it carries).
std::variant<MemoryBackup, std::string> DecodeMemoryBackup(const std::vector<uint8_t>& file);

// Reads the whole memory (both banks) in blocks. Returns the failing exchange's error, if
// any, with `memory` untouched.
std::error_code ReadDeviceMemory(TuiHIDData& device, std::vector<uint8_t>& memory);
// Writes `memory` (kDeviceMemorySize bytes) in blocks from address 0, calling `between` after
// each; stops at the first failed exchange and returns its error.
std::error_code WriteDeviceMemory(TuiHIDData& device, const std::vector<uint8_t>& memory,
                                  const std::function<void()>& between);

}  // namespace qor
