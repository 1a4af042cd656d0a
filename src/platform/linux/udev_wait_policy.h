// SPDX-License-Identifier: GPL-2.0-or-later
// When an EACCES on a freshly plugged hidraw node is worth waiting for udev: only when udev
// runs (its rules are what would grant access), and once per node, so a node that stays
// inaccessible costs no wait on every exchange.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace qor {

class UdevWaitPolicy {
 public:
  // `udevRunning`: whether udevd runs (its control socket exists).
  explicit UdevWaitPolicy(bool udevRunning) : udevRunning_(udevRunning) {}

  // Whether to wait for the node `path` whose device node has the inode `inode` (a node made
  // anew after a replug has another one). True at most once per node.
  bool ShouldWait(const std::string& path, uint64_t inode) {
    if (!udevRunning_) return false;
    std::lock_guard lock(mutex_);
    return waited_.insert({path, inode}).second;
  }

 private:
  const bool udevRunning_;
  std::mutex mutex_;
  std::set<std::pair<std::string, uint64_t>> waited_;
};

}  // namespace qor
