// SPDX-License-Identifier: GPL-2.0-or-later
// qor-typist: a uinput keyboard that types what stdin tells it, for the kernel tests:
//   qor-typist NAME
// prints "ready DEVNODE" once the keyboard exists, then reads lines "down CODE", "up CODE"
// (Linux key codes, each event its own frame) and "sleep MS", answering "done" to "sync", until
// stdin closes; the keyboard is then removed.
#include <libevdev/libevdev-uinput.h>
#include <linux/input.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: qor-typist NAME\n";
    return 2;
  }
  std::unique_ptr<libevdev, void (*)(libevdev*)> proto(libevdev_new(), libevdev_free);
  libevdev_set_name(proto.get(), argv[1]);
  libevdev_set_id_bustype(proto.get(), BUS_USB);
  libevdev_set_id_vendor(proto.get(), 0x1209);
  libevdev_set_id_product(proto.get(), 0x7e57);
  libevdev_enable_event_type(proto.get(), EV_KEY);
  // All keys of a full keyboard, so that udev takes it for one (ID_INPUT_KEYBOARD).
  for (unsigned code = KEY_ESC; code <= KEY_MICMUTE; ++code)
    libevdev_enable_event_code(proto.get(), EV_KEY, code, nullptr);
  libevdev_uinput* raw = nullptr;
  if (const int rc =
          libevdev_uinput_create_from_device(proto.get(), LIBEVDEV_UINPUT_OPEN_MANAGED, &raw);
      rc < 0) {
    std::cerr << "qor-typist: cannot create the keyboard: " << -rc << "\n";
    return 1;
  }
  std::unique_ptr<libevdev_uinput, void (*)(libevdev_uinput*)> keyboard(raw,
                                                                        libevdev_uinput_destroy);
  const char* node = libevdev_uinput_get_devnode(keyboard.get());
  std::cout << "ready " << (node ? node : "?") << std::endl;

  std::string word;
  while (std::cin >> word) {
    if (word == "sync") {
      std::cout << "done" << std::endl;
      continue;
    }
    long n = 0;
    if (!(std::cin >> n)) break;
    if (word == "sleep") {
      std::this_thread::sleep_for(std::chrono::milliseconds(n));
    } else if (word == "down" || word == "up") {
      libevdev_uinput_write_event(keyboard.get(), EV_KEY, static_cast<unsigned>(n),
                                  word == "down" ? 1 : 0);
      libevdev_uinput_write_event(keyboard.get(), EV_SYN, SYN_REPORT, 0);
    }
  }
  return 0;
}
