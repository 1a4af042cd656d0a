// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/edit_boxes.h"

#include <QKeyEvent>
#include <algorithm>

namespace qor {
namespace {

bool isEnter(const QKeyEvent* event) {
  return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

}  // namespace

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

int UiSpinBox::TypedValue() const {
  bool ok = false;
  const qlonglong typed = cleanText().toLongLong(&ok);
  if (!ok) return value();
  return int(std::clamp<qlonglong>(typed, minimum(), maximum()));
}

void UiSpinBox::keyPressEvent(QKeyEvent* event) {
  if (isEnter(event) && OnEnter) {
    OnEnter(*this);
    event->accept();
    return;
  }
  QSpinBox::keyPressEvent(event);
}

void UiSpinBox::focusOutEvent(QFocusEvent* event) {
  QSpinBox::focusOutEvent(event);
  if (OnKillFocus) OnKillFocus(*this);
}

void UiTextBox::keyPressEvent(QKeyEvent* event) {
  if (isEnter(event) && OnEnter) {
    OnEnter(*this);
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void UiTextBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (OnKillFocus) OnKillFocus(*this);
}

}  // namespace qor
