// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/mouse_plug_watch.h"

#include "app/profile_switch.h"

namespace qor {

MousePlugWatch::MousePlugWatch(std::unique_ptr<DeviceWatcher> watcher, TuiHIDData& device,
                               std::function<std::vector<std::string>()> readIncludeList,
                               QObject* parent)
    : QObject(parent),
      FWatcher(std::move(watcher)),
      FDevice(device),
      FReadIncludeList(std::move(readIncludeList)) {
  FSettle.setSingleShot(true);
  FSettle.setInterval(kSettleMs);
  connect(&FSettle, &QTimer::timeout, this, [this] {
    // A mouse added to a config.ini meanwhile counts from this change on, without a restart.
    if (FReadIncludeList) FDevice.SetHIDDeviceList(FReadIncludeList());
    Q_EMIT PresenceChecked(Present());
  });
  if (FWatcher && FWatcher->fd() >= 0) {
    FNotifier = new QSocketNotifier(FWatcher->fd(), QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, [this] {
      // A plug-in shows as several nodes one after another: wait for the last.
      if (!FWatcher->readChanges().empty()) FSettle.start();
    });
  }
}

bool MousePlugWatch::Present() {
  return MousePresent(FDevice);
}

}  // namespace qor
