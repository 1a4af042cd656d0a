#include "widgets/edit_boxes.h"

namespace qor {

UiSpinBox::UiSpinBox(QWidget* parent, const QString& name, const QRect& geometry)
    : QSpinBox(parent), UiControl(static_cast<QWidget&>(*this)) {
  setObjectName(name);
  if (!geometry.isNull()) setGeometry(geometry);
  connect(this, &QSpinBox::valueChanged, this, [this] {
    if (OnChange) OnChange(*this);
  });
}

void UiSpinBox::SetRange(int minimum, int maximum, int step) {
  setRange(minimum, maximum);
  setSingleStep(step);
}

UiNumberBox::UiNumberBox(QWidget* parent, const QString& name, const QRect& geometry)
    : UiSpinBox(parent, name, geometry) {
  setButtonSymbols(QAbstractSpinBox::NoButtons);
}

UiTextBox::UiTextBox(QWidget* parent, const QString& name, const QRect& geometry)
    : QLineEdit(parent), UiControl(static_cast<QWidget&>(*this)) {
  setObjectName(name);
  if (!geometry.isNull()) setGeometry(geometry);
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (OnChange) OnChange(*this);
  });
}

}  // namespace qor
