// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/exchange_lock.h"

#include <sys/file.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/lock_file.h"
#include "platform/paths.h"

namespace qor {
namespace {

// The longest sleep between two tries: flock(2) cannot wait with a time-out.
constexpr std::chrono::milliseconds kLongestRetry{10};

// Enough of a node's or socket's name to recognise it in the folder.
constexpr std::size_t kReadableChars = 40;

std::string durationText(std::chrono::milliseconds wait) {
  if (wait.count() % 1000 == 0) return std::to_string(wait.count() / 1000) + " s";
  return std::to_string(wait.count()) + " ms";
}

uint64_t fnv1a(const std::string& text) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : text) hash = (hash ^ c) * 0x100000001b3ull;
  return hash;
}

}  // namespace

std::string ExchangeLock::FileName(const std::string& devicePath) {
  std::string readable = std::filesystem::path(devicePath).filename().string();
  if (readable.size() > kReadableChars) readable.resize(kReadableChars);
  for (char& c : readable)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(devicePath)));
  return "qorcfg51-exchange-" + readable + "-" + hash + ".lock";
}

std::unique_ptr<ExchangeLock> ExchangeLock::Acquire(const std::string& devicePath,
                                                    std::string& problem,
                                                    std::chrono::milliseconds wait) {
  const std::filesystem::path runtime = paths::runtimeDir(&problem);
  if (runtime.empty()) return nullptr;
  return AcquireFile(runtime / FileName(devicePath), problem, wait);
}

std::unique_ptr<ExchangeLock> ExchangeLock::AcquireFile(const std::filesystem::path& file,
                                                        std::string& problem,
                                                        std::chrono::milliseconds wait) {
  UniqueFd fd = OpenLockFile(file, &problem);
  if (!fd) return nullptr;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  std::chrono::milliseconds retry{1};
  for (;;) {
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
      return std::unique_ptr<ExchangeLock>(new ExchangeLock(std::move(fd)));
    if (errno != EWOULDBLOCK && errno != EINTR) {
      problem = "cannot lock " + file.string() + ": " + std::strerror(errno);
      return nullptr;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      problem = "another program has been talking to the mouse for more than " +
                durationText(wait) + " (it holds " + file.string() + ")";
      return nullptr;
    }
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(retry, deadline - now));
    retry = std::min(retry * 2, kLongestRetry);
  }
}

}  // namespace qor
