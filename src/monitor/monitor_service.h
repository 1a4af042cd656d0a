// SPDX-License-Identifier: GPL-2.0-or-later
// TQor51MonMain: the monitor on the session bus, answering the configurator's Notify.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <optional>

#include "platform/registry.h"

namespace qor {

class TQor51MonMain : public QObject, protected QDBusContext {
  Q_OBJECT

 public:
  enum class ClaimResult { Owned, AlreadyRunning, Failed };

  explicit TQor51MonMain(QDBusConnection bus, QObject* parent = nullptr);

  // Exports Notify and takes the monitor's bus name: AlreadyRunning when another monitor
  // owns it, Failed (with the reason in `error`) when the bus refused.
  ClaimResult Claim(QString& error);

  // The profile index last told; none before the first profile notice.
  std::optional<int> CurrentProfile() const { return FCurrentProfile; }
  // The profile index last told, else the stored current profile, else the first.
  int CurrentOrStoredProfile(Registry& registry) const;
  // The tray's tooltip: the current profile, or the program's title while none is known.
  QString ToolTip() const;

 public Q_SLOTS:
  // Answers the configurator; a pair that means nothing is refused with InvalidArgs.
  Q_SCRIPTABLE void Notify(uint wparam, uint lparam);

 Q_SIGNALS:
  void ToolTipChanged(const QString& text);
  // A desktop notification with this summary is due.
  void NotificationDue(const QString& summary);
  // A notice was taken: the current profile, the stored settings or the bindings may differ.
  void Noticed();

 private:
  QDBusConnection FBus;
  std::optional<int> FCurrentProfile;
};

}  // namespace qor
