// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/layout.h"

#include <QPainter>

#include "widgets/skin.h"

namespace qor {

UiLayout::UiLayout(QWidget* parent, const QString& name, const QRect& geometry)
    : QWidget(parent), UiControl(static_cast<QWidget&>(*this)) {
  setObjectName(name);
  if (!geometry.isNull()) setGeometry(geometry);
}

void UiLayout::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ArrangeAligned(*this);
}

UiRectangle::UiRectangle(QWidget* parent, const QString& name, const QRect& geometry)
    : UiLayout(parent, name, geometry), FFill(skin::kPanel) {}

void UiRectangle::SetFill(const QColor& fill) {
  FFill = fill;
  update();
}

void UiRectangle::SetStroke(const QColor& stroke) {
  FStroke = stroke;
  update();
}

void UiRectangle::SetRadius(int radius) {
  FRadius = radius;
  update();
}

void UiRectangle::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const bool stroked = FStroke.alpha() > 0;
  painter.setPen(stroked ? QPen(FStroke, 1) : Qt::NoPen);
  painter.setBrush(FFill);
  // Half-pixel inset keeps a 1-pixel border sharp.
  const QRectF box = stroked ? QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5) : QRectF(rect());
  painter.drawRoundedRect(box, FRadius, FRadius);
}

}  // namespace qor
