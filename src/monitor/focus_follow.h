// SPDX-License-Identifier: GPL-2.0-or-later
// The monitor's side of profiles that follow the application: focus news in, a profile switch
// and its notification out.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_profile_follower.h"
#include "app/profile_switch.h"
#include "platform/app_bindings.h"
#include "platform/focus_source.h"
#include "platform/registry.h"

namespace qor {

class MouseQueue;
class TQor51MonMain;

class FocusFollow : public QObject {
  Q_OBJECT

 public:
  // Makes profile `index` current and uploads it; SwitchProfileAndApply in the program. Runs
  // on the queue's thread.
  using Switcher = std::function<ProfileSwitchResult(int index, std::string& problem)>;

  // `bindings` are read again on every focus change, so a bind takes effect at once;
  // `registry` gives the stored current profile while `monitor` was told none. Switches go
  // through `queue` as uploads, so a burst of focus changes makes few of them.
  FocusFollow(AppBindingStore& bindings, Registry& registry, TQor51MonMain& monitor,
              MouseQueue& queue, Switcher switcher, QObject* parent = nullptr);

  // Follows `source` from now on: the event loop watches its descriptor.
  void Follow(std::unique_ptr<FocusSource> source);
  // The focus went to a window of the application `names` (none: no window).
  void FocusChanged(const std::vector<std::string>& names);

 Q_SIGNALS:
  // The source stopped telling (its display or service went away); profiles stay as they are.
  void SourceLost(const QString& why);
  // A switch was not made; `why` is for the log.
  void SwitchRefused(const QString& why);

 private:
  void readSource();
  // What a switch to profile `index` came to.
  void switched(int index, ProfileSwitchResult result, const std::string& problem);

  AppBindingStore& FBindings;
  Registry& FRegistry;
  TQor51MonMain& FMonitor;
  MouseQueue& FQueue;
  Switcher FSwitcher;
  AppProfileFollower FFollower;
  std::optional<int> FRequested;  // the profile of the switch on its way, if any
  unsigned FSerial = 0;           // of the last switch asked for
  std::unique_ptr<FocusSource> FSource;
  QSocketNotifier* FNotifier = nullptr;
};

}  // namespace qor
