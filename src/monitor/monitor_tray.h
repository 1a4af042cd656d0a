// SPDX-License-Identifier: GPL-2.0-or-later
// The monitor's tray icon: the current profile in its tooltip and Exit in its menu.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <filesystem>

namespace qor {

class MonitorTray : public QObject {
  Q_OBJECT

 public:
  // Shows the icon as soon as the desktop offers a tray; a panel that starts after the
  // monitor is picked up by looking again every few seconds.
  MonitorTray(const QIcon& icon, const QString& toolTip, QObject* parent = nullptr);

  void SetToolTip(const QString& text) { FTray.setToolTip(text); }

 private:
  void showWhenAvailable();

  QMenu FMenu;
  QSystemTrayIcon FTray;
  QTimer FRetry;
};

// The program folder's images/logo.ico, or an icon drawn in the skin's accent colour when the
// file is missing or cannot be read.
QIcon MonitorIcon(const std::filesystem::path& program);

}  // namespace qor
