// SPDX-License-Identifier: GPL-2.0-or-later
// HookPump: drives a hook provider from the Qt event loop, so that its callbacks run on the
// UI thread: its descriptor on a socket notifier, or a timer for a provider without one. It
// also tells its window, once, about keyboards whose keys still reach other programs.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

namespace qor {

class HookProvider;

class HookPump : public QObject {
 public:
  // Watches `provider` (may be null: nothing to drive) for as long as the pump lives.
  HookPump(HookProvider* provider, QObject* parent);

  // Looks for keyboards an enabled keyboard hook could not take; the first time there are
  // any, OnUngrabbedKeyboards gets their names. Called after every dispatch; call it after
  // enabling a hook too, as a refused grab happens there.
  void CheckGrabs();
  std::function<void(const QStringList& names)> OnUngrabbedKeyboards;

 private:
  void dispatch();

  HookProvider* FProvider;
  bool FTold = false;
};

}  // namespace qor
