// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/frm_message_dialog.h"

#include <algorithm>

#include "widgets/label.h"
#include "widgets/text_button.h"

namespace qor {
namespace {

// The question's box beside the warning sign, as designed, and the strip above it.
constexpr QRect kTextBox(110, 44, 260, 43);
constexpr int kTitleStripBottom = 34;

UiLabel* textLabel(QWidget* parent, const char* name, const QRect& at, int pixels) {
  auto* label = new UiLabel(parent, name, at);
  label->SetFontSize(pixels);
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
  return label;
}

}  // namespace

TFrmMessageDialog::TFrmMessageDialog(QWidget* owner)
    : UiDialogScene(owner, "TFrmMessageDialog", kWidth, kHeight, "message") {
  LabelTitle = AddTitle("LabelTitle", {}, 16);
  LabelTitle->SetAutoTranslate(false);
  // Beside the warning sign of the background.
  LabelText = textLabel(this, "LabelText", kTextBox, 13);
  LabelText->SetAutoTranslate(false);
  LabelText1 = textLabel(this, "LabelText1", kText1Box, 13);
  LabelText1->SetAutoTranslate(false);
  AddButtons("BTNOK", "BTNCANCEL", "CANCEL");
  AddCloseButton("BSBTNCLOSE", kModalCancel);
}

void TFrmMessageDialog::SetTexts(const QString& ATitle, const QString& AText,
                                 const QString& AText1) {
  LabelTitle->SetText(ATitle);
  LabelText->SetText(AText);
  LabelText1->SetText(AText1);
  AfterTranslate();
  // The second line may be a whole sentence (why a file could not be written): the window
  // grows with the texts instead of cutting them.
  FitTexts({{LabelText, kTextBox}, {LabelText1, kText1Box}});
}

TDlgLeaveMacroWithErrorsForm::TDlgLeaveMacroWithErrorsForm(QWidget* owner)
    : UiDialogScene(owner, "TDlgLeaveMacroWithErrorsForm", kWidth, kHeight, "leave") {
  AddTitle("LabelWarning", "Warning", 16);
  LabelQuestion = textLabel(this, "LabelQuestion", QRect(110, 56, 300, 80), 14);
  LabelQuestion->SetText("Unreasonable macro detected , Do you wish to continue?");
  LabelTitle = textLabel(this, "LabelTitle", QRect(110, 40, 300, 18), 13);
  LabelText = textLabel(this, "LabelText", QRect(110, 60, 300, 18), 13);
  LabelText1 = textLabel(this, "LabelText1", QRect(110, 80, 300, 18), 13);
  for (UiLabel* hidden : {LabelTitle, LabelText, LabelText1}) {
    hidden->SetAutoTranslate(false);
    hidden->hide();
  }
  AddButtons("Button1", "Button2", "CANCEL");
  AddCloseButton("BitmapStateButton1", kModalCancel);
}

void TDlgLeaveMacroWithErrorsForm::SetTexts(const QString& ATitle, const QString& AText,
                                            const QString& AText1) {
  LabelTitle->SetText(ATitle);
  LabelText->SetText(AText);
  LabelText1->SetText(AText1);
}

}  // namespace qor
