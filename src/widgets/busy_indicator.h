// SPDX-License-Identifier: GPL-2.0-or-later
// UiAniIndicator: an animated busy indicator in line style (spokes around a centre, the
// bright one going round).
#pragma once

#include <QTimer>
#include <QWidget>

#include "widgets/ui_control.h"

namespace qor {

class UiAniIndicator : public QWidget, public UiControl {
 public:
  UiAniIndicator(QWidget* parent, const QString& name, const QRect& geometry = {});
  void Start();
  void Stop();
  bool Animating() const { return FTimer.isActive(); }
  // The spoke drawn brightest; advances with every animation step.
  int Step() const { return FStep; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  static constexpr int kSpokes = 12;
  QTimer FTimer;
  int FStep = 0;
};

}  // namespace qor
