// SPDX-License-Identifier: GPL-2.0-or-later
// UiTextButton: a text button, or a toggle button, with a style name and a modal result.
#pragma once

#include <QPushButton>
#include <functional>

#include "widgets/ui_control.h"

namespace qor {

class UiTextButton : public QPushButton, public UiTextControl {
 public:
  UiTextButton(QWidget* parent, const QString& name, const QRect& geometry = {},
               const QString& text = {});
  // The style sheet's look for the button ("default" marks the button Enter presses).
  void SetStyleName(const QString& style);
  QString StyleName() const { return property("styleName").toString(); }
  // Non-zero: a click ends the window's modal run with this result.
  void SetModalResult(int result) { FModalResult = result; }
  int ModalResult() const { return FModalResult; }
  // A toggle button keeps its pressed state between clicks.
  void SetToggle(bool on) { setCheckable(on); }

  std::function<void(UiTextButton&)> OnClick;

 protected:
  void ShowText(const QString& text) override { setText(text); }

 private:
  int FModalResult = 0;
};

}  // namespace qor
