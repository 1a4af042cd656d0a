// SPDX-License-Identifier: GPL-2.0-or-later
// UiRadioButton (exclusive within its group name in one window) and UiCheckBox.
#pragma once

#include <QCheckBox>
#include <QRadioButton>
#include <functional>

#include "widgets/ui_control.h"

namespace qor {

class UiRadioButton : public QRadioButton, public UiTextControl {
 public:
  UiRadioButton(QWidget* parent, const QString& name, const QString& group,
                const QRect& geometry = {}, const QString& text = {});
  const QString& GroupName() const { return FGroup; }
  // Checks this button and unchecks the others of its group in the same window.
  void SetChecked(bool on);

  // Raised when the button became checked or unchecked.
  std::function<void(UiRadioButton&)> OnChange;

 protected:
  void ShowText(const QString& text) override { setText(text); }
  void nextCheckState() override;

 private:
  QString FGroup;
};

class UiCheckBox : public QCheckBox, public UiTextControl {
 public:
  UiCheckBox(QWidget* parent, const QString& name, const QRect& geometry = {},
             const QString& text = {});
  // On: a text longer than the room beside the box goes on in further lines (the box then
  // asks a layout for their height); off, the default: one line.
  void SetWordWrap(bool on);
  bool WordWrap() const { return property(kWordWrapProperty).toBool(); }
  bool hasHeightForWidth() const override { return WordWrap(); }
  int heightForWidth(int width) const override;
  QSize minimumSizeHint() const override;
  std::function<void(UiCheckBox&)> OnChange;

  // The property the skin's style draws a wrapped text by.
  static constexpr const char* kWordWrapProperty = "wordWrap";

 protected:
  void ShowText(const QString& text) override { setText(text); }
};

}  // namespace qor
