// SPDX-License-Identifier: GPL-2.0-or-later
// qor-plug-watch-probe: the monitor's plug watch (udev monitor, 2 s settle, the mouse looked
// for) on its own, for the kernel tests: prints "present" or "absent" after each settled
// change, until SIGTERM or stdin closes.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <iostream>

#include "device/hid_data.h"
#include "model/include_list.h"
#include "monitor/mouse_plug_watch.h"
#include "platform/linux/linux_device_watcher.h"
#include "platform/linux/system_hid_backend.h"
#include "platform/paths.h"
#include "sim/sim_protocol.h"

using namespace qor;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::signal(SIGTERM, [](int) { QCoreApplication::quit(); });
  const auto program = paths::program();
  const auto backend = MakeSystemHidBackend();
  TuiHIDData device(*backend, ReadIncludeList(program));
  MousePlugWatch plugs(MakeLinuxDeviceWatcher(sim::SimulatorDirectory()), device,
                       [&] { return ReadIncludeList(program); });
  QObject::connect(&plugs, &MousePlugWatch::PresenceChecked, [](bool present) {
    std::cout << (present ? "present" : "absent") << std::endl;
  });
  std::cout << (plugs.Present() ? "present" : "absent") << " at start" << std::endl;
  QSocketNotifier input(0, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char c;
    if (::read(0, &c, 1) <= 0) QCoreApplication::quit();
  });
  return app.exec();
}
