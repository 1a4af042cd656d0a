// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/bitmap_state_button.h"

#include <QPainter>

#include "widgets/skin.h"

namespace qor {

UiBitmapStateButton::UiBitmapStateButton(QWidget* parent, const QString& name,
                                         const QRect& geometry)
    : QAbstractButton(parent), UiTextControl(static_cast<QWidget&>(*this)) {
  setObjectName(name);
  if (!geometry.isNull()) setGeometry(geometry);
  setFocusPolicy(Qt::NoFocus);
  connect(this, &QAbstractButton::clicked, this, [this] {
    if (OnClick) OnClick(*this);
  });
}

void UiBitmapStateButton::SetBitmaps(const QImage& normal, const QImage& hot,
                                     const QImage& pressed) {
  FNormal = normal;
  FHot = hot;
  FPressed = pressed;
  update();
}

void UiBitmapStateButton::SetSkinBitmaps(const QString& base) {
  SetBitmaps(skin::SkinImage("btn_" + base + "_normal.png"),
             skin::SkinImage("btn_" + base + "_hot.png"),
             skin::SkinImage("btn_" + base + "_pressed.png"));
}

void UiBitmapStateButton::SetHitTest(bool on) {
  FHitTest = on;
  setAttribute(Qt::WA_TransparentForMouseEvents, !on);
}

void UiBitmapStateButton::ShowText(const QString& text) {
  setText(text);
}

void UiBitmapStateButton::enterEvent(QEnterEvent* event) {
  setCursor(FHandCursor ? skin::HandCursor() : skin::ArrowCursor());
  QAbstractButton::enterEvent(event);
}

void UiBitmapStateButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool down = isDown() || isChecked();
  const bool hot = FHitTest && isEnabled() && underMouse();
  const QImage& picture = down && !FPressed.isNull() ? FPressed
                          : hot && !FHot.isNull()    ? FHot
                                                     : FNormal;
  // A disabled button shows its normal picture, dimmed.
  if (!isEnabled()) painter.setOpacity(0.4);
  if (!picture.isNull()) painter.drawImage(0, 0, picture);
  if (!text().isEmpty()) {
    painter.setPen(down || hot ? skin::kAccent : skin::kText);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
  }
}

}  // namespace qor
