// SPDX-License-Identifier: GPL-2.0-or-later
// Desktop notifications through the session bus's notification server.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace qor {

class DesktopNotifier : public QObject {
  Q_OBJECT

 public:
  explicit DesktopNotifier(QDBusConnection bus, QObject* parent = nullptr);

  // Asks org.freedesktop.Notifications to show `summary` for the program "qorcfg51" and
  // returns at once; without a notification server nothing is shown and nothing reported.
  void Show(const QString& summary);

 private:
  QDBusConnection FBus;
};

}  // namespace qor
