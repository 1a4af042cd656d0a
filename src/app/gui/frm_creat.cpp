// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/frm_creat.h"

#include "macro/macro_files.h"
#include "widgets/edit_boxes.h"
#include "widgets/label.h"
#include "widgets/qt_text.h"
#include "widgets/text_button.h"

namespace qor {

QString CutMacroName(const QString& name) {
  if (name.size() <= kMacroNameUnits) return name;
  int units = kMacroNameUnits;
  if (name.at(units - 1).isHighSurrogate()) --units;
  return name.left(units);
}

TFrmCreat::TFrmCreat(QWidget* owner)
    : UiDialogScene(owner, "TFrmCreat", kWidth, kHeight, "create") {
  AddTitle("LabelTitle", "MACRO", 16);
  auto* caption = new UiLabel(this, "LabelNewMacro", QRect(24, 44, kWidth - 48, 24), "NEW MACRO");
  caption->SetFontSize(14, true);
  caption->SetStyleName("value");
  auto* name = new UiLabel(this, "LabelName", QRect(24, 90, 98, 23), "NAME(N):");
  name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  TextboxMacroName = new UiTextBox(this, "TextboxMacroName", QRect(130, 90, 313, 23));
  TextboxMacroName->SetMaxLength(kMacroNameUnits);
  TextboxMacroName->SetAccessibleText("Name");
  name->setBuddy(TextboxMacroName);
  // Enter in the entry reaches the window, where it acts as OK.
  TextboxMacroName->OnChange = [this](UiTextBox&) { LabelProblem->clear(); };
  LabelProblem = new UiLabel(this, "LabelProblem", QRect(130, 116, 313, 48));
  LabelProblem->SetAutoTranslate(false);  // built from translated parts
  LabelProblem->setWordWrap(true);
  LabelProblem->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  LabelProblem->SetStyleName("value");
  AddButtons("BTNOK", "BTNCANCEL", "CANCEL");
  // Closing the window without a choice is a cancel; it writes nothing.
  AddCloseButton("BSBTNCLOSE", kModalCancel);
  setTabOrder(TextboxMacroName, OKButton);
  setTabOrder(OKButton, CancelButton);
}

void TFrmCreat::showEvent(QShowEvent* event) {
  UiDialogScene::showEvent(event);
  TextboxMacroName->setFocus();
}

void TFrmCreat::BTNOKClick() {
  const QString name = CutMacroName(TextboxMacroName->text());
  // An empty name would write the file ".macro", which no macro can use.
  if (name.trimmed().isEmpty()) {
    LabelProblem->SetText(TranslateText("Enter a name for the macro."));
    TextboxMacroName->setFocus();
    return;
  }
  if (BtnMacroSave) {
    if (auto error = SaveEmptyMacroFile(ToU16(name), FMacroPath.toStdString())) {
      LabelProblem->SetText(TranslateText("The macro file could not be written:") + " " +
                            FromUtf8(*error));
      TextboxMacroName->setFocus();
      return;
    }
  }
  FMacroName = name;
  SetModalResult(kModalOK);
}

}  // namespace qor
