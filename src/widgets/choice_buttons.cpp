// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/choice_buttons.h"

#include <QStyleOptionButton>

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

void UiCheckBox::SetWordWrap(bool on) {
  setProperty(kWordWrapProperty, on);
  // A check box is one line as wide as its text for a layout; a wrapping one may be narrower
  // and grows with its lines.
  QSizePolicy policy = sizePolicy();
  policy.setHorizontalPolicy(on ? QSizePolicy::Preferred : QSizePolicy::Minimum);
  policy.setVerticalPolicy(on ? QSizePolicy::Minimum : QSizePolicy::Fixed);
  policy.setHeightForWidth(on);
  setSizePolicy(policy);
  updateGeometry();
  update();
}

QSize UiCheckBox::minimumSizeHint() const {
  const QSize line = QCheckBox::minimumSizeHint();
  if (!WordWrap()) return line;
  // Narrower than its text: the text takes more lines.
  const int box = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) +
                  style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
  return QSize(std::min(line.width(), box), line.height());
}

int UiCheckBox::heightForWidth(int width) const {
  if (!WordWrap()) return QCheckBox::heightForWidth(width);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.rect = QRect(0, 0, width, sizeHint().height());
  const QRect room = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
  const QRect text = fontMetrics().boundingRect(QRect(0, 0, room.width(), QWIDGETSIZE_MAX),
                                                Qt::AlignLeft | Qt::TextWordWrap, this->text());
  return std::max(sizeHint().height(), text.height());
}

}  // namespace qor
