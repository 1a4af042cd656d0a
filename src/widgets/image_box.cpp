// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/image_box.h"

#include <QPainter>

namespace qor {

UiImage::UiImage(QWidget* parent, const QString& name, const QRect& geometry)
    : QWidget(parent), UiControl(static_cast<QWidget&>(*this)) {
  setObjectName(name);
  if (!geometry.isNull()) setGeometry(geometry);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void UiImage::SetPicture(const QImage& picture) {
  FPicture = picture;
  update();
}

void UiImage::paintEvent(QPaintEvent*) {
  if (FPicture.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QSizeF natural = FPicture.deviceIndependentSize();
  QSizeF fitted = natural;
  fitted.scale(QSizeF(size()), Qt::KeepAspectRatio);
  // A picture made for the box is drawn pixel for pixel.
  if (qAbs(fitted.width() - natural.width()) < 0.5) fitted = natural;
  const QPointF origin(qRound((width() - fitted.width()) / 2),
                       qRound((height() - fitted.height()) / 2));
  painter.drawImage(QRectF(origin, fitted), FPicture, QRectF(FPicture.rect()));
}

}  // namespace qor
