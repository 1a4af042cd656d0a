// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/choice_buttons.h"

#include "widgets/skin.h"

namespace qor {

UiRadioButton::UiRadioButton(QWidget* parent, const QString& name, const QString& group,
                             const QRect& geometry, const QString& text)
    : QRadioButton(parent), UiTextControl(static_cast<QWidget&>(*this)), FGroup(group) {
  setObjectName(name);
  if (!geometry.isNull()) setGeometry(geometry);
  // Qt's own exclusivity covers siblings only; groups here span the whole window.
  setAutoExclusive(false);
  setCursor(skin::HandCursor());
  if (!text.isEmpty()) SetText(text);
  connect(this, &QRadioButton::toggled, this, [this](bool on) {
    if (on)
      for (UiRadioButton* other : window()->findChildren<UiRadioButton*>())
        if (other != this && other->FGroup == FGroup) other->setChecked(false);
    if (OnChange) OnChange(*this);
  });
}

void UiRadioButton::nextCheckState() {
  // A click on a checked radio button keeps it checked.
  if (!isChecked()) setChecked(true);
}

void UiRadioButton::SetChecked(bool on) {
  setChecked(on);
}

UiCheckBox::UiCheckBox(QWidget* parent, const QString& name, const QRect& geometry,
                       const QString& text)
    : QCheckBox(parent), UiTextControl(static_cast<QWidget&>(*this)) {
  setObjectName(name);
  if (!geometry.isNull()) setGeometry(geometry);
  setCursor(skin::HandCursor());
  if (!text.isEmpty()) SetText(text);
  connect(this, &QCheckBox::toggled, this, [this] {
    if (OnChange) OnChange(*this);
  });
}

}  // namespace qor
