// SPDX-License-Identifier: GPL-2.0-or-later
// The exchange lock: one program at a time talks to a mouse, for a whole sequence of reports
// (a model query, a backup, an upload), so that no answer lands in another program's read.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/unique_fd.h"

namespace qor {

// How long a sequence waits for another program's: longer than the longest sequence (a
// restore with its pauses, well under a second), short enough that a holder that hangs does
// not hang every other program with it.
inline constexpr std::chrono::milliseconds kExchangeLockWait{5000};

class ExchangeLock {
 public:
  // Takes the exchange lock of the device at `devicePath` (a file in paths::runtimeDir(), see
  // FileName()), waiting at most `wait` while another process holds it. Null when it was not
  // had in time or its file cannot be had, with the reason in `problem`: no lock, no exchange.
  static std::unique_ptr<ExchangeLock> Acquire(const std::string& devicePath, std::string& problem,
                                               std::chrono::milliseconds wait = kExchangeLockWait);
  // The same with an explicit lock file.
  static std::unique_ptr<ExchangeLock> AcquireFile(
      const std::filesystem::path& file, std::string& problem,
      std::chrono::milliseconds wait = kExchangeLockWait);
  // The lock file's name for `devicePath`: its last part, readable, and a hash of the whole
  // path, so that two devices never share a lock.
  static std::string FileName(const std::string& devicePath);

 private:
  explicit ExchangeLock(UniqueFd fd) : fd_(std::move(fd)) {}
  UniqueFd fd_;
};

}  // namespace qor
