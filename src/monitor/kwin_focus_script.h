// SPDX-License-Identifier: GPL-2.0-or-later
// The focused window on KDE Plasma under Wayland, where no other program may ask: a KWin
// script reports each activated window's application to the monitor over the session bus.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <filesystem>
#include <string>
#include <vector>

namespace qor {

class FocusFollow;

inline constexpr const char* kFocusObjectPath = "/io/github/qorcfg51/Focus";
inline constexpr const char* kFocusInterface = "io.github.qorcfg51.Focus";
inline constexpr const char* kKWinScriptName = "qorcfg51-focus";

// The script's text: on each activated window (and at once for the active one) it calls
// FocusChanged(resourceClass, resourceName) on the monitor.
QString KWinFocusScriptText();

class KWinFocusScript : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "io.github.qorcfg51.Focus")

 public:
  KWinFocusScript(QDBusConnection bus, FocusFollow& follow, QObject* parent = nullptr);
  // Unloads the script from KWin.
  ~KWinFocusScript() override;

  // Exports FocusChanged, writes the script into `folder` and asks KWin to load and run it.
  // False, with the reason in `error`, when the script cannot be offered; KWin's refusal comes
  // later as Lost.
  bool Start(const std::filesystem::path& folder, QString& error);

 public Q_SLOTS:
  // Called by the script; refused to anyone but KWin. A burst of calls makes one switch, to
  // the last focus: each switch uploads a profile.
  Q_SCRIPTABLE void FocusChanged(const QString& resourceClass, const QString& resourceName);

 Q_SIGNALS:
  // KWin left the bus: no more focus news.
  void Lost(const QString& why);

 private:
  // Reports a failed answer to `call` as Lost.
  void watch(const QDBusPendingCall& call, const char* what);
  // No more focus news: the callback is withdrawn from the bus and Lost is told.
  void lose(const QString& why);

  QDBusConnection FBus;
  FocusFollow& FFollow;
  QDBusServiceWatcher FWatcher;
  bool FLoaded = false;
  QString FKWinOwner;                 // KWin's unique bus name, the only caller taken
  std::vector<std::string> FPending;  // the last focus not yet handed on
  bool FHandOnQueued = false;
};

}  // namespace qor
