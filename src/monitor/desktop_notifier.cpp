// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/desktop_notifier.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace qor {

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), FBus(std::move(bus)) {}

void DesktopNotifier::Show(const QString& summary) {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the
  // server's default).
  call << QStringLiteral("qorcfg51") << uint(0) << QStringLiteral("input-mouse") << summary
       << QString() << QStringList() << QVariantMap() << int(-1);
  // Sent without waiting: the configurator waits for our answer to its Notify, and a slow or
  // missing server must not hold it up. The reply (an id, or an error) is not needed.
  FBus.send(call);
}

}  // namespace qor
