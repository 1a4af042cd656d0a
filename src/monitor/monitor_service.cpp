// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/monitor_service.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusReply>

#include "model/stored_profile.h"
#include "monitor/monitor_notice.h"
#include "platform/monitor_link.h"
#include "ui/translation.h"

namespace qor {

TQor51MonMain::TQor51MonMain(QDBusConnection bus, QObject* parent)
    : QObject(parent), FBus(std::move(bus)) {}

TQor51MonMain::ClaimResult TQor51MonMain::Claim(QString& error) {
  if (!FBus.isConnected()) {
    error = FBus.lastError().message();
    return ClaimResult::Failed;
  }
  // The object first: a caller that sees the name owned finds Notify behind it at once.
  if (!FBus.registerObject(kMonitorObjectPath, kMonitorInterface, this,
                           QDBusConnection::ExportScriptableSlots)) {
    error =
        QStringLiteral("the object path %1 is taken on this connection").arg(kMonitorObjectPath);
    return ClaimResult::Failed;
  }
  // Not queued and not replaceable: the name is the single-instance lock.
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
      FBus.interface()->registerService(kMonitorBusName, QDBusConnectionInterface::DontQueueService,
                                        QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid()) {
    FBus.unregisterObject(kMonitorObjectPath);
    error = reply.error().message();
    return ClaimResult::Failed;
  }
  if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
    FBus.unregisterObject(kMonitorObjectPath);
    return ClaimResult::AlreadyRunning;
  }
  return ClaimResult::Owned;
}

int TQor51MonMain::CurrentOrStoredProfile(Registry& registry) const {
  return FCurrentProfile.value_or(StoredCurrentProfileIndex(registry).value_or(0));
}

QString TQor51MonMain::ToolTip() const {
  return QString::fromStdString(FCurrentProfile ? ProfileCaption(*FCurrentProfile)
                                                : Translate("Gaming Mouse Driver"));
}

void TQor51MonMain::Notify(uint wparam, uint lparam) {
  const std::optional<MonitorNotice> notice = ReadMonitorNotice(wparam, lparam);
  if (!notice) {
    if (calledFromDBus())
      sendErrorReply(
          QDBusError::InvalidArgs,
          QStringLiteral("Notify(%1, %2) is not a notice: expected (0, 0), (1, 0..4) or (2, 0)")
              .arg(wparam)
              .arg(lparam));
    return;
  }
  if (notice->kind == MonitorNotice::Kind::ProfileChanged) {
    FCurrentProfile = notice->profileIndex;
    Q_EMIT ToolTipChanged(ToolTip());
  }
  if (NoticeShown(*notice)) Q_EMIT NotificationDue(QString::fromStdString(NoticeText(*notice)));
  Q_EMIT Noticed();
}

}  // namespace qor
