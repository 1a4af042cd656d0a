// SPDX-License-Identifier: GPL-2.0-or-later
// WindowBusName: the running window's name on the session bus. A second start of qorcfg51
// calls Activate on it (org.freedesktop.Application) and ends; the window comes forward.
#pragma once

#include <QDBusVirtualObject>
#include <QPointer>
#include <QWidget>

namespace qor {

class WindowBusName final : public QDBusVirtualObject {
 public:
  // Owns kWindowBusName and serves its object for `window`, when there is a session bus.
  explicit WindowBusName(QWidget& window);
  ~WindowBusName() override;
  // Whether the name is ours; else the reason, for the log.
  bool Registered() const { return FProblem.isEmpty(); }
  const QString& Problem() const { return FProblem; }

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  // Brings the window (or the modal dialog over it) forward.
  void activate();

  QPointer<QWidget> FWindow;
  QString FProblem;
};

}  // namespace qor
