// SPDX-License-Identifier: GPL-2.0-or-later
// UiLayout: an invisible box that places its aligned children; UiRectangle: the same box
// drawn as a filled, optionally rounded rectangle.
#pragma once

#include <QColor>
#include <QWidget>

#include "widgets/ui_control.h"

namespace qor {

class UiLayout : public QWidget, public UiControl {
 public:
  UiLayout(QWidget* parent, const QString& name, const QRect& geometry = {});

 protected:
  void resizeEvent(QResizeEvent* event) override;
};

class UiRectangle : public UiLayout {
 public:
  UiRectangle(QWidget* parent, const QString& name, const QRect& geometry = {});
  void SetFill(const QColor& fill);
  // A transparent colour draws no border.
  void SetStroke(const QColor& stroke);
  void SetRadius(int radius);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor FFill;
  QColor FStroke = Qt::transparent;
  int FRadius = 0;
};

}  // namespace qor
