// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/linux_device_watcher.h"

#include <libudev.h>
#include <sys/epoll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <system_error>

namespace qor {
namespace {

class LinuxDeviceWatcher final : public DeviceWatcher {
 public:
  explicit LinuxDeviceWatcher(const std::filesystem::path& simulatorFolder) {
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    if ((udev_ = udev_new())) {
      monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
      if (monitor_ &&
          udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) >= 0 &&
          udev_monitor_enable_receiving(monitor_) >= 0)
        add(udev_monitor_get_fd(monitor_));
    }
    std::error_code ec;
    std::filesystem::create_directories(simulatorFolder, ec);
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ >= 0 &&
        ::inotify_add_watch(inotify_, simulatorFolder.c_str(),
                            IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM) >= 0)
      add(inotify_);
  }

  ~LinuxDeviceWatcher() override {
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
    if (inotify_ >= 0) ::close(inotify_);
    if (epoll_ >= 0) ::close(epoll_);
  }

  int fd() const override { return epoll_; }

  std::vector<DeviceChange> readChanges() override {
    std::vector<DeviceChange> changes;
    std::array<epoll_event, 4> events{};
    const int n = epoll_ >= 0 ? ::epoll_wait(epoll_, events.data(), events.size(), 0) : 0;
    for (int i = 0; i < n; ++i) {
      if (monitor_ && events[i].data.fd == udev_monitor_get_fd(monitor_)) readUdev(changes);
      if (events[i].data.fd == inotify_) readInotify(changes);
    }
    return changes;
  }

 private:
  void add(int fd) {
    epoll_event e{};
    e.events = EPOLLIN;
    e.data.fd = fd;
    if (epoll_ >= 0) ::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &e);
  }

  void readUdev(std::vector<DeviceChange>& changes) {
    while (udev_device* d = udev_monitor_receive_device(monitor_)) {
      const char* action = udev_device_get_action(d);
      if (action && std::strcmp(action, "add") == 0) changes.push_back(DeviceChange::Arrival);
      if (action && std::strcmp(action, "remove") == 0) changes.push_back(DeviceChange::Removal);
      udev_device_unref(d);
    }
  }

  void readInotify(std::vector<DeviceChange>& changes) {
    alignas(inotify_event) char buffer[4096];
    ssize_t len;
    while ((len = ::read(inotify_, buffer, sizeof buffer)) > 0) {
      for (char* p = buffer; p < buffer + len;) {
        const auto* e = reinterpret_cast<const inotify_event*>(p);
        const std::string name = e->len ? e->name : "";
        // A simulator is one socket per interface; other files in the folder do not count.
        if (name.size() > 5 && name.compare(name.size() - 5, 5, ".sock") == 0) {
          if (e->mask & (IN_CREATE | IN_MOVED_TO)) changes.push_back(DeviceChange::Arrival);
          if (e->mask & (IN_DELETE | IN_MOVED_FROM)) changes.push_back(DeviceChange::Removal);
        }
        p += sizeof(inotify_event) + e->len;
      }
    }
  }

  int epoll_ = -1;
  int inotify_ = -1;
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
};

}  // namespace

std::unique_ptr<DeviceWatcher> MakeLinuxDeviceWatcher(
    const std::filesystem::path& simulatorFolder) {
  return std::make_unique<LinuxDeviceWatcher>(simulatorFolder);
}

}  // namespace qor
