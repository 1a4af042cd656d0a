// SPDX-License-Identifier: GPL-2.0-or-later
// qor-event-reader: prints the key events of an input device for the kernel tests:
//   qor-event-reader NAME_PREFIX
// waits (up to 30 s) for a device whose name begins with NAME_PREFIX, prints "open DEVNODE",
// then one line "CODE VALUE MICROSECONDS" per key event (autorepeat left out), the kernel's
// monotonic time stamp, until killed or the device goes away.
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

namespace {

// The device's descriptor and handle, or -1 when none has the name yet.
int openNamed(const std::string& prefix, libevdev*& dev) {
  for (const auto& entry : std::filesystem::directory_iterator("/dev/input")) {
    if (entry.path().filename().string().rfind("event", 0) != 0) continue;
    const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    if (libevdev_new_from_fd(fd, &dev) == 0) {
      const char* name = libevdev_get_name(dev);
      if (name && std::strncmp(name, prefix.c_str(), prefix.size()) == 0) {
        std::cout << "open " << entry.path().string() << std::endl;
        return fd;
      }
      libevdev_free(dev);
    }
    ::close(fd);
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: qor-event-reader NAME_PREFIX\n";
    return 2;
  }
  libevdev* dev = nullptr;
  int fd = -1;
  for (int tries = 0; tries < 300 && (fd = openNamed(argv[1], dev)) < 0; ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (fd < 0) {
    std::cerr << "qor-event-reader: no device named " << argv[1] << "\n";
    return 1;
  }
  // The recorder's clock, so that both see the same stamps.
  libevdev_set_clock_id(dev, CLOCK_MONOTONIC);
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    ::poll(&p, 1, -1);
    input_event ev{};
    int rc;
    while ((rc = libevdev_next_event(dev, LIBEVDEV_READ_FLAG_NORMAL, &ev)) >= 0) {
      if (rc != LIBEVDEV_READ_STATUS_SUCCESS || ev.type != EV_KEY || ev.value == 2) continue;
      std::cout << ev.code << " " << ev.value << " "
                << ev.input_event_sec * 1000000LL + ev.input_event_usec << std::endl;
    }
    if (rc != -EAGAIN) return 0;
  }
}
