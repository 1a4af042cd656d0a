// SPDX-License-Identifier: GPL-2.0-or-later
// TFrmCreat: the new-macro name dialog. OK writes the new macro's empty file and keeps the
// dialog open with the reason when the name cannot be used or the file cannot be written.
#pragma once

#include "app/gui/dialog_scene.h"
#include "model/profile_records.h"

namespace qor {

class UiTextBox;

class TFrmCreat : public UiDialogScene {
 public:
  static constexpr int kWidth = 476, kHeight = 219;
  explicit TFrmCreat(QWidget* owner);

  QString FMacroPath;        // the macro folder
  QString FMacroName;        // the result: empty unless OK wrote a name
  bool BtnMacroSave = true;  // on: OK writes the empty macro file

  UiTextBox* TextboxMacroName;
  UiLabel* LabelProblem;  // why OK did not close the dialog

 protected:
  void Accept() override { BTNOKClick(); }
  void showEvent(QShowEvent* event) override;

 private:
  void BTNOKClick();
};

// The first 50 units of a name, never splitting a surrogate pair.
QString CutMacroName(const QString& name);

}  // namespace qor
