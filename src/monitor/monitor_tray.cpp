// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/monitor_tray.h"

#include <QAction>
#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>

#include "platform/paths.h"
#include "ui/translation.h"

namespace qor {

namespace {

constexpr int kTrayRetryMs = 5000;
constexpr QRgb kAccent = 0xff21d4fd;  // the skin's one accent colour

// A mouse outline with its button split, in the accent colour.
QPixmap drawnMouse(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal pen = qMax<qreal>(1.5, size / 12.0);
  p.setPen(QPen(QColor::fromRgb(kAccent), pen));
  const QRectF body(size * 0.22, size * 0.06, size * 0.56, size * 0.88);
  p.drawRoundedRect(body, body.width() / 2, body.width() / 2);
  p.drawLine(QPointF(body.left(), size * 0.42), QPointF(body.right(), size * 0.42));
  p.drawLine(QPointF(size / 2.0, body.top()), QPointF(size / 2.0, size * 0.42));
  return pixmap;
}

}  // namespace

MonitorTray::MonitorTray(const QIcon& icon, const QString& toolTip, QObject* parent)
    : QObject(parent), FTray(icon) {
  FTray.setToolTip(toolTip);
  QAction* exit = FMenu.addAction(QString::fromStdString(Translate("Exit")));
  connect(exit, &QAction::triggered, QCoreApplication::instance(), &QCoreApplication::quit);
  FTray.setContextMenu(&FMenu);
  FRetry.setInterval(kTrayRetryMs);
  connect(&FRetry, &QTimer::timeout, this, &MonitorTray::showWhenAvailable);
  showWhenAvailable();
}

void MonitorTray::showWhenAvailable() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    FRetry.start();
    return;
  }
  FRetry.stop();
  FTray.show();
}

QIcon MonitorIcon(const std::filesystem::path& program) {
  const std::filesystem::path file = paths::resolveInFolder(program, "Images\\logo.ico");
  QIcon icon(QString::fromStdString(file.string()));
  if (!icon.availableSizes().isEmpty()) return icon;
  QIcon drawn;
  for (int size : {16, 32, 64}) drawn.addPixmap(drawnMouse(size));
  return drawn;
}

}  // namespace qor
