// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/label.h"

#include <QFontInfo>
#include <QMouseEvent>

#include "widgets/skin.h"

namespace qor {

UiLabel::UiLabel(QWidget* parent, const QString& name, const QRect& geometry, const QString& text)
    : QLabel(parent), UiTextControl(static_cast<QWidget&>(*this)) {
  setObjectName(name);
  if (!geometry.isNull()) setGeometry(geometry);
  // Clicks on a label reach the window, which is dragged by its background.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  if (!text.isEmpty()) SetText(text);
}

void UiLabel::SetStyleName(const QString& style) {
  setProperty("styleName", style);
  applyLook();
}

void UiLabel::SetFontSize(int pixels, bool bold) {
  QFont f = font();
  f.setPixelSize(pixels);
  setFont(f);
  FPixels = pixels;
  FBold = bold;
  applyLook();
}

void UiLabel::SetShrinkToFit(int minimumPixels) {
  FMinimumPixels = minimumPixels;
  if (FPixels == 0) FPixels = QFontInfo(font()).pixelSize();
  fitFont();
}

void UiLabel::ShowText(const QString& text) {
  setText(text);
  fitFont();
}

void UiLabel::fitFont() {
  if (FMinimumPixels <= 0) return;
  QFont f = font();
  int pixels = FPixels;
  f.setPixelSize(pixels);
  const int room = contentsRect().width();
  while (pixels > FMinimumPixels && QFontMetrics(f).horizontalAdvance(text()) > room)
    f.setPixelSize(--pixels);
  setFont(f);
}

void UiLabel::applyLook() {
  const QString style = property("styleName").toString();
  QPalette p = palette();
  p.setColor(QPalette::Active, QPalette::WindowText,
             style == "caption" ? skin::kTextDim
             : style == "value" ? skin::kAccent
                                : skin::kText);
  p.setColor(QPalette::Inactive, QPalette::WindowText,
             p.color(QPalette::Active, QPalette::WindowText));
  setPalette(p);
  QFont f = font();
  f.setBold(FBold || style == "title");
  setFont(f);
  fitFont();
}

void UiLabel::SetClickable(bool on) {
  setAttribute(Qt::WA_TransparentForMouseEvents, !on);
  setCursor(on ? skin::HandCursor() : skin::ArrowCursor());
}

void UiLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
      OnClick) {
    OnClick(*this);
    event->accept();
    return;
  }
  QLabel::mouseReleaseEvent(event);
}

}  // namespace qor
