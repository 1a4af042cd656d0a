// SPDX-License-Identifier: GPL-2.0-or-later
// The focused window on KDE Plasma under Wayland, where no other program may ask: a KWin
// script reports each activated window's application to the monitor over the session bus.
#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <filesystem>

namespace qor {

class FocusFollow;

inline constexpr const char* kFocusObjectPath = "/io/github/qorcfg51/Focus";
inline constexpr const char* kFocusInterface = "io.github.qorcfg51.Focus";
inline constexpr const char* kKWinScriptName = "qorcfg51-focus";

// The script's text: on each activated window (and at once for the active one) it calls
// FocusChanged(resourceClass, resourceName) on the monitor.
QString KWinFocusScriptText();

class KWinFocusScript : public QObject {
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
  // Called by the script.
  Q_SCRIPTABLE void FocusChanged(const QString& resourceClass, const QString& resourceName);

 Q_SIGNALS:
  // KWin left the bus: no more focus news.
  void Lost(const QString& why);

 private:
  // Reports a failed answer to `call` as Lost.
  void watch(const QDBusPendingCall& call, const char* what);

  QDBusConnection FBus;
  FocusFollow& FFollow;
  QDBusServiceWatcher FWatcher;
  bool FLoaded = false;
};

}  // namespace qor
