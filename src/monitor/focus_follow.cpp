// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/focus_follow.h"

#include "monitor/monitor_service.h"
#include "monitor/mouse_queue.h"

namespace qor {

FocusFollow::FocusFollow(AppBindingStore& bindings, Registry& registry, TQor51MonMain& monitor,
                         MouseQueue& queue, Switcher switcher, QObject* parent)
    : QObject(parent),
      FBindings(bindings),
      FRegistry(registry),
      FMonitor(monitor),
      FQueue(queue),
      FSwitcher(std::move(switcher)) {}

void FocusFollow::Follow(std::unique_ptr<FocusSource> source) {
  delete FNotifier;
  FNotifier = nullptr;
  FSource = std::move(source);
  if (!FSource || FSource->fd() < 0) return;
  FNotifier = new QSocketNotifier(FSource->fd(), QSocketNotifier::Read, this);
  connect(FNotifier, &QSocketNotifier::activated, this, &FocusFollow::readSource);
  readSource();  // the focus at start
}

void FocusFollow::readSource() {
  if (!FSource) return;
  if (auto names = FSource->readFocus()) FocusChanged(*names);
  if (const std::string why = FSource->lost(); !why.empty()) {
    // A closed descriptor would wake the loop forever: stop watching it.
    FNotifier->setEnabled(false);
    FNotifier->deleteLater();
    FNotifier = nullptr;
    FSource.reset();
    Q_EMIT SourceLost(QString::fromStdString(why));
  }
}

void FocusFollow::FocusChanged(const std::vector<std::string>& names) {
  std::vector<AppBinding> bindings;
  if (const RegistryResult r = FBindings.readBindings(bindings); !r.isOk()) {
    Q_EMIT SwitchRefused(QString::fromStdString(r.message));
    return;
  }
  // A switch still on its way counts as made: the next focus change decides from there.
  const int current = FRequested.value_or(FMonitor.CurrentOrStoredProfile(FRegistry));
  const std::optional<int> target = FFollower.FocusChanged(bindings, names, current);
  if (!target) return;
  const int index = *target;
  const unsigned serial = ++FSerial;
  FRequested = index;
  const auto settled = [this, serial] {
    if (serial == FSerial) FRequested.reset();
  };
  FQueue.Upload(
      this,
      [this, switcher = FSwitcher, index, settled] {
        std::string problem;
        const ProfileSwitchResult result = switcher(index, problem);
        return std::function<void()>([this, index, result, problem, settled] {
          settled();
          switched(index, result, problem);
        });
      },
      settled);
}

void FocusFollow::switched(int index, ProfileSwitchResult result, const std::string& problem) {
  const std::string profile = "profile " + std::to_string(index + 1);
  switch (result) {
    case ProfileSwitchResult::Switched:
    case ProfileSwitchResult::NoMouse:  // current and saved; the next Apply uploads it
      FMonitor.Notify(1, static_cast<uint>(index));
      return;
    case ProfileSwitchResult::WindowOpen:
      Q_EMIT SwitchRefused(QString::fromStdString(
          profile + " not made current: the qorcfg51 window is open and keeps its own"));
      return;
    case ProfileSwitchResult::MouseStopped:
      FMonitor.Notify(1, static_cast<uint>(index));
      Q_EMIT SwitchRefused(QString::fromStdString(
          profile + " is current but did not reach the mouse (" + problem + ")"));
      return;
    case ProfileSwitchResult::Failed:
      Q_EMIT SwitchRefused(QString::fromStdString(profile + " not made current: " + problem));
      return;
  }
}

}  // namespace qor
