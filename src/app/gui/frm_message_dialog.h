// SPDX-License-Identifier: GPL-2.0-or-later
// TFrmMessageDialog: a question of the macro editor with a title, a text and a second line;
// TDlgLeaveMacroWithErrorsForm: whether to go on although macros have errors.
#pragma once

#include "app/gui/dialog_scene.h"

namespace qor {

class TFrmMessageDialog : public UiDialogScene {
 public:
  static constexpr int kWidth = 476, kHeight = 162;
  // The two text boxes as designed, beside the warning sign of the background.
  static constexpr QRect kTextBox{110, 44, 260, 43}, kText1Box{110, 88, 260, 18};
  explicit TFrmMessageDialog(QWidget* owner);
  // The caller's texts, translated already; empty texts give empty labels.
  void SetTexts(const QString& ATitle, const QString& AText, const QString& AText1);

  UiLabel* LabelTitle;
  UiLabel* LabelText;
  UiLabel* LabelText1;
};

class TDlgLeaveMacroWithErrorsForm : public UiDialogScene {
 public:
  static constexpr int kWidth = 452, kHeight = 211;
  explicit TDlgLeaveMacroWithErrorsForm(QWidget* owner);
  // The caller's texts go to hidden labels: the window asks its own question.
  void SetTexts(const QString& ATitle, const QString& AText, const QString& AText1);

  UiLabel* LabelQuestion;
  UiLabel* LabelTitle;  // hidden, like the next two
  UiLabel* LabelText;
  UiLabel* LabelText1;
};

}  // namespace qor
