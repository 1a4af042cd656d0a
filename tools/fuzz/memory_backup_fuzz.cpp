// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any byte string as a backup of the mouse's memory: a file that is accepted carries
// exactly one memory of the mouse's size, and encoding it again gives the same file back.
#include <cstdlib>
#include <variant>
#include <vector>

#include "protocol/device_commands.h"
#include "protocol/memory_backup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace qor;
  const std::vector<uint8_t> file(data, data + size);
  const auto decoded = DecodeMemoryBackup(file);
  const auto* backup = std::get_if<MemoryBackup>(&decoded);
  if (!backup) return 0;
  if (backup->memory.size() != kDeviceMemorySize) std::abort();
  if (backup->model != ModelNumberOf(backup->memory.data())) std::abort();
  if (EncodeMemoryBackup(backup->memory, backup->time) != file) std::abort();
  return 0;
}
