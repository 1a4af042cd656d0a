// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/kwin_focus_script.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFile>
#include <QTimer>

#include "monitor/focus_follow.h"
#include "platform/monitor_link.h"

namespace qor {
namespace {

const QString kKWinService = QStringLiteral("org.kde.KWin");
const QString kKWinScripting = QStringLiteral("/Scripting");
const QString kKWinScriptingInterface = QStringLiteral("org.kde.kwin.Scripting");

QDBusMessage scriptingCall(const QString& method, const QVariantList& args = {}) {
  QDBusMessage m =
      QDBusMessage::createMethodCall(kKWinService, kKWinScripting, kKWinScriptingInterface, method);
  m.setArguments(args);
  return m;
}

}  // namespace

QString KWinFocusScriptText() {
  // Plasma 6 names windows "window", Plasma 5 "client".
  return QStringLiteral(
             "function report(w) {\n"
             "  callDBus(\"%1\", \"%2\", \"%3\", \"FocusChanged\",\n"
             "           w ? String(w.resourceClass) : \"\", w ? String(w.resourceName) : \"\");\n"
             "}\n"
             "if (workspace.windowActivated) workspace.windowActivated.connect(report);\n"
             "else workspace.clientActivated.connect(report);\n"
             "report(workspace.activeWindow !== undefined ? workspace.activeWindow\n"
             "                                            : workspace.activeClient);\n")
      .arg(kMonitorBusName, kFocusObjectPath, kFocusInterface);
}

KWinFocusScript::KWinFocusScript(QDBusConnection bus, FocusFollow& follow, QObject* parent)
    : QObject(parent),
      FBus(std::move(bus)),
      FFollow(follow),
      FWatcher(kKWinService, FBus, QDBusServiceWatcher::WatchForUnregistration) {
  connect(&FWatcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
    FLoaded = false;
    lose(QStringLiteral("KWin left the session bus"));
  });
}

KWinFocusScript::~KWinFocusScript() {
  if (FLoaded)
    FBus.call(scriptingCall(QStringLiteral("unloadScript"), {QString(kKWinScriptName)}),
              QDBus::Block, 1000);
}

bool KWinFocusScript::Start(const std::filesystem::path& folder, QString& error) {
  FKWinOwner = FBus.interface()->serviceOwner(kKWinService).value();
  if (FKWinOwner.isEmpty()) {
    error = QStringLiteral("KWin is not on the session bus");
    return false;
  }
  if (!FBus.registerObject(kFocusObjectPath, kFocusInterface, this,
                           QDBusConnection::ExportScriptableSlots)) {
    error = QStringLiteral("the object path %1 is taken").arg(kFocusObjectPath);
    return false;
  }
  const QString file = QString::fromStdString((folder / "qorcfg51-focus.js").string());
  QFile out(file);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      out.write(KWinFocusScriptText().toUtf8()) < 0) {
    error = QStringLiteral("cannot write %1: %2").arg(file, out.errorString());
    return false;
  }
  out.close();
  // Asked without waiting: KWin answers in order, and the monitor's loop keeps turning. A
  // monitor that ended without unloading left its script behind, so that goes first.
  FBus.asyncCall(scriptingCall(QStringLiteral("unloadScript"), {QString(kKWinScriptName)}));
  watch(
      FBus.asyncCall(scriptingCall(QStringLiteral("loadScript"), {file, QString(kKWinScriptName)})),
      "load");
  watch(FBus.asyncCall(scriptingCall(QStringLiteral("start"))), "run");
  FLoaded = true;
  return true;
}

void KWinFocusScript::watch(const QDBusPendingCall& call, const char* what) {
  auto* watcher = new QDBusPendingCallWatcher(call, this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, what] {
    watcher->deleteLater();
    if (watcher->isError())
      lose(QStringLiteral("KWin did not %1 the focus script: %2")
               .arg(what, watcher->error().message()));
  });
}

void KWinFocusScript::lose(const QString& why) {
  FBus.unregisterObject(kFocusObjectPath);
  Q_EMIT Lost(why);
}

void KWinFocusScript::FocusChanged(const QString& resourceClass, const QString& resourceName) {
  if (calledFromDBus() && message().service() != FKWinOwner) {
    sendErrorReply(QDBusError::AccessDenied,
                   QStringLiteral("only KWin's focus script tells the monitor the focus"));
    return;
  }
  FPending.clear();
  for (const QString& n : {resourceName, resourceClass})
    if (!n.isEmpty()) FPending.push_back(n.toStdString());
  if (FHandOnQueued) return;
  FHandOnQueued = true;
  QTimer::singleShot(0, this, [this] {
    FHandOnQueued = false;
    FFollow.FocusChanged(FPending);
  });
}

}  // namespace qor
