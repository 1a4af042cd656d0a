// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/busy_indicator.h"

#include <QPainter>
#include <QtMath>

#include "widgets/skin.h"

namespace qor {

UiAniIndicator::UiAniIndicator(QWidget* parent, const QString& name, const QRect& geometry)
    : QWidget(parent), UiControl(static_cast<QWidget&>(*this)) {
  setObjectName(name);
  if (!geometry.isNull()) setGeometry(geometry);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  FTimer.setInterval(80);
  connect(&FTimer, &QTimer::timeout, this, [this] {
    FStep = (FStep + 1) % kSpokes;
    update();
  });
}

void UiAniIndicator::Start() {
  FTimer.start();
}

void UiAniIndicator::Stop() {
  FTimer.stop();
}

void UiAniIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(width() / 2.0, height() / 2.0);
  const qreal outer = qMin(width(), height()) / 2.0 - 2;
  const qreal inner = outer * 0.45;
  for (int i = 0; i < kSpokes; ++i) {
    // Spokes behind the bright one fade out, as a trail.
    const int age = (FStep - i + kSpokes) % kSpokes;
    QColor c = skin::kAccent;
    c.setAlphaF(1.0 - 0.8 * age / qreal(kSpokes - 1));
    painter.setPen(QPen(c, qMax(2.0, outer / 8), Qt::SolidLine, Qt::RoundCap));
    const qreal a = 2 * M_PI * i / kSpokes;
    painter.drawLine(QPointF(inner * qSin(a), -inner * qCos(a)),
                     QPointF(outer * qSin(a), -outer * qCos(a)));
  }
}

}  // namespace qor
