// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/window_bus_name.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLoggingCategory>

#include "platform/linux/window_instance.h"

namespace qor {
namespace {

// Off unless asked for (QT_LOGGING_RULES="qorcfg51.instance.info=true"): one line a call.
Q_LOGGING_CATEGORY(lcInstance, "qorcfg51.instance", QtWarningMsg)

}  // namespace

WindowBusName::WindowBusName(QWidget& window) : FWindow(&window) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    FProblem = "no session bus";
    return;
  }
  if (!bus.registerVirtualObject(kWindowObjectPath, this)) {
    FProblem = bus.lastError().message();
    return;
  }
  // Taken after the settings lock: whoever owns the name holds the settings.
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
      bus.interface()->registerService(kWindowBusName, QDBusConnectionInterface::DontQueueService,
                                       QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
    FProblem = reply.isValid() ? QString("%1 belongs to another program").arg(kWindowBusName)
                               : reply.error().message();
    bus.unregisterObject(kWindowObjectPath);
  }
}

WindowBusName::~WindowBusName() {
  if (!Registered()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(kWindowObjectPath);
  bus.unregisterService(kWindowBusName);
}

QString WindowBusName::introspect(const QString&) const {
  return QStringLiteral(
             "<interface name=\"%1\">"
             "<method name=\"Activate\"><arg type=\"a{sv}\" name=\"platform_data\" "
             "direction=\"in\"/></method>"
             "</interface>")
      .arg(kWindowInterface);
}

bool WindowBusName::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage ||
      message.interface() != kWindowInterface || message.member() != "Activate")
    return false;
  connection.send(message.createReply());
  // On the UI thread, whichever thread the bus delivered the call on.
  QMetaObject::invokeMethod(
      this, [this] { activate(); }, Qt::QueuedConnection);
  return true;
}

void WindowBusName::activate() {
  qCInfo(lcInstance) << "activated by another start";
  QWidget* target = QApplication::activeModalWidget();
  if (!target) target = FWindow;
  if (!target) return;
  if (target->isMinimized()) target->showNormal();
  target->show();
  target->raise();
  target->activateWindow();
}

}  // namespace qor
