// One running instance per user: an exclusive lock that the kernel releases when the process
// ends, however it ends.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace qor {

class InstanceLock {
 public:
  // Takes the lock named `name` ($XDG_RUNTIME_DIR/<name>.lock, else /tmp/<name>-<uid>.lock);
  // null when another process holds it.
  static std::unique_ptr<InstanceLock> TryAcquire(const std::string& name);
  // The same with an explicit lock file.
  static std::unique_ptr<InstanceLock> TryAcquireFile(const std::filesystem::path& file);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace qor
