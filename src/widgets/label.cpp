#include "widgets/label.h"

#include <QMouseEvent>
#include <QStyle>

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
  this->style()->unpolish(this);
  this->style()->polish(this);
}

void UiLabel::SetFontSize(int pixels, bool bold) {
  QFont f = font();
  f.setPixelSize(pixels);
  f.setBold(bold);
  setFont(f);
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
