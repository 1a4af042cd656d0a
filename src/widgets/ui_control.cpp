// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/ui_control.h"

#include "ui/translation.h"
#include "widgets/qt_text.h"

namespace qor {

QString TranslateText(const QString& source) {
  return FromU16(Translate(std::u16string_view(ToU16(source))));
}

void UiControl::SetAlign(UiAlign align) {
  FAlign = align;
  if (QWidget* parent = FSelf.parentWidget()) ArrangeAligned(*parent);
}

void UiControl::SetPadding(const QMargins& padding) {
  FPadding = padding;
  if (QWidget* parent = FSelf.parentWidget()) ArrangeAligned(*parent);
}

void UiControl::SetHint(const QString& source) {
  FHint = source;
  FSelf.setToolTip(TranslateText(source));
}

void UiControl::RetranslateHint(const TextTranslationService& service) {
  if (!FHint.isEmpty()) FSelf.setToolTip(TranslatedBy(service, FHint));
  if (!FAccessible.isEmpty()) FSelf.setAccessibleName(TranslatedBy(service, FAccessible));
}

void UiControl::SetAccessibleText(const QString& source) {
  FAccessible = source;
  FSelf.setAccessibleName(TranslateText(source));
}

QString TranslatedBy(const TextTranslationService& service, const QString& source) {
  return service.SwitchingBack() ? source
                                 : FromU16(service.Translate(std::u16string_view(ToU16(source))));
}

void UiTextControl::SetText(const QString& source) {
  FSource = source;
  Present(FAutoTranslate ? TranslateText(source) : source);
}

void UiTextControl::Present(const QString& text) {
  ShowText(text);
  if (AccessibleSource().isEmpty()) Widget().setAccessibleName(text);
}

void UiTextControl::SetAutoTranslate(bool on) {
  FAutoTranslate = on;
  SetText(FSource);
}

void UiTextControl::Retranslate(const TextTranslationService& service) {
  if (FAutoTranslate) Present(TranslatedBy(service, FSource));
}

UiControl* AsControl(QObject* object) {
  return dynamic_cast<UiControl*>(object);
}

void ArrangeAligned(QWidget& parent) {
  QRect free = parent.rect();
  const QObjectList children = parent.children();
  for (UiAlign pass :
       {UiAlign::Top, UiAlign::Bottom, UiAlign::Left, UiAlign::Right, UiAlign::Client}) {
    for (QObject* child : children) {
      UiControl* control = AsControl(child);
      if (!control || control->Align() != pass || control->Widget().isHidden()) continue;
      QWidget& w = control->Widget();
      const QMargins& m = control->Padding();
      // Each band is the control's own extent along the cut plus its padding.
      const int height = w.height() + m.top() + m.bottom();
      const int width = w.width() + m.left() + m.right();
      QRect band;
      switch (pass) {
        case UiAlign::Top:
          band = QRect(free.left(), free.top(), free.width(), height);
          free.setTop(free.top() + height);
          break;
        case UiAlign::Bottom:
          band = QRect(free.left(), free.bottom() + 1 - height, free.width(), height);
          free.setBottom(free.bottom() - height);
          break;
        case UiAlign::Left:
          band = QRect(free.left(), free.top(), width, free.height());
          free.setLeft(free.left() + width);
          break;
        case UiAlign::Right:
          band = QRect(free.right() + 1 - width, free.top(), width, free.height());
          free.setRight(free.right() - width);
          break;
        default:
          band = free;
          break;
      }
      w.setGeometry(band.marginsRemoved(m));
    }
  }
}

}  // namespace qor
