// SPDX-License-Identifier: GPL-2.0-or-later
// Tells the monitor, once the devices have settled after a change, whether the mouse is
// there.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/device_watcher.h"
#include "device/hid_data.h"

namespace qor {

class MousePlugWatch : public QObject {
  Q_OBJECT

 public:
  // How long after the last change the mouse is looked for, as the window waits.
  static constexpr int kSettleMs = 2000;

  // `watcher` reports device changes; `device` finds the mouse among the interfaces, with
  // the include list `readIncludeList` gives after each change (none: the list stays).
  MousePlugWatch(std::unique_ptr<DeviceWatcher> watcher, TuiHIDData& device,
                 std::function<std::vector<std::string>()> readIncludeList = {},
                 QObject* parent = nullptr);

  // Whether the mouse's configuration collection is there now.
  bool Present();

 Q_SIGNALS:
  // The devices settled after a change; `present` says whether the mouse is there.
  void PresenceChecked(bool present);

 private:
  std::unique_ptr<DeviceWatcher> FWatcher;
  TuiHIDData& FDevice;
  std::function<std::vector<std::string>()> FReadIncludeList;
  QSocketNotifier* FNotifier = nullptr;
  QTimer FSettle;
};

}  // namespace qor
