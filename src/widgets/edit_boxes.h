// SPDX-License-Identifier: GPL-2.0-or-later
// Number, spin and text boxes, each kept within its range.
#pragma once

#include <QLineEdit>
#include <QSpinBox>
#include <functional>

#include "widgets/ui_control.h"

namespace qor {

// UiSpinBox: a whole number within [minimum, maximum], with up and down arrows.
class UiSpinBox : public QSpinBox, public UiControl {
 public:
  UiSpinBox(QWidget* parent, const QString& name, const QRect& geometry = {});
  // Sets the range and keeps the value inside it.
  void SetRange(int minimum, int maximum, int step = 1);
  // The value, clamped into the range; OnChange fires when it changed.
  void SetValue(int value) { setValue(value); }
  int Value() const { return value(); }
  // The number typed so far, clamped into the range (the value while nothing is typed).
  int TypedValue() const;

  std::function<void(UiSpinBox&)> OnChange;
  // Enter was pressed in the box (the key is taken).
  std::function<void(UiSpinBox&)> OnEnter;
  // The box lost the keyboard focus.
  std::function<void(UiSpinBox&)> OnKillFocus;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

// UiNumberBox: the same number typed in, without arrows.
class UiNumberBox : public UiSpinBox {
 public:
  UiNumberBox(QWidget* parent, const QString& name, const QRect& geometry = {});
};

// UiTextBox: one line of text of at most MaxLength characters.
class UiTextBox : public QLineEdit, public UiControl {
 public:
  UiTextBox(QWidget* parent, const QString& name, const QRect& geometry = {});
  void SetMaxLength(int characters) { setMaxLength(characters); }

  std::function<void(UiTextBox&)> OnChange;
  // Enter was pressed in the box (the key is taken).
  std::function<void(UiTextBox&)> OnEnter;
  // The box lost the keyboard focus.
  std::function<void(UiTextBox&)> OnKillFocus;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace qor
