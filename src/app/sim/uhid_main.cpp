// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/sim/uhid_main.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "sim/uhid_server.h"

namespace qor::sim {
namespace {

constexpr const char* kUhidNode = "/dev/uhid";

std::string openProblem(int error) {
  std::string text = std::string("cannot open ") + kUhidNode + ": " + std::strerror(error);
  if (error == ENOENT) text += " (load the kernel module: modprobe uhid)";
  if (error == EACCES || error == EPERM)
    text += " (--uhid needs write access to it, normally root)";
  return text;
}

}  // namespace

int RunUhidMouse(const SimOptions& options, int stopFd) {
  std::vector<UniqueFd> channels;
  for (int n = 0; n < options.interfaces; ++n) {
    UniqueFd fd(::open(kUhidNode, O_RDWR | O_CLOEXEC | O_NONBLOCK));
    if (!fd) {
      std::cerr << "qorcfg51-sim: " << openProblem(errno) << "\n";
      return 1;
    }
    channels.push_back(std::move(fd));
  }
  std::string error;
  auto server = UhidServer::Start(
      options, std::move(channels),
      [](const std::string& p) { std::cerr << "qorcfg51-sim: " << p << std::endl; }, error);
  if (!server) {
    std::cerr << "qorcfg51-sim: " << error << "\n";
    return 1;
  }
  for (int n = 1; n <= options.interfaces; ++n) {
    const UhidDeviceIdentity id = SimUhidIdentity(n);
    std::cout << "qorcfg51-sim: interface " << n << " is the HID device \"" << id.name
              << "\", phys " << id.phys << "\n";
  }
  std::cout << std::flush;

  std::string why;
  switch (server->run(stopFd, why)) {
    case UhidServer::End::Stopped:
      std::cout << "qorcfg51-sim: stopped" << std::endl;
      return 0;
    case UhidServer::End::Unplugged:
      std::cout << "qorcfg51-sim: unplugged before feature exchange " << options.unplugAfter
                << std::endl;
      return 0;
    case UhidServer::End::Failed:
      break;
  }
  std::cerr << "qorcfg51-sim: " << why << "\n";
  return 1;
}

}  // namespace qor::sim
