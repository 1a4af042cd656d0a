// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/frm_dialog.h"

#include "app/gui/dialog_scene.h"
#include "widgets/bitmap_state_button.h"
#include "widgets/label.h"
#include "widgets/text_button.h"

namespace qor {
namespace {

DialogPresenter* gPresenter = nullptr;
QWidget* gMainForm = nullptr;

}  // namespace

DialogPresenter& Dialogs() {
  static WindowDialogPresenter windows;
  return gPresenter ? *gPresenter : windows;
}

void UseDialogPresenter(DialogPresenter* presenter) {
  gPresenter = presenter;
}

int ShowDialog(const QString& ATitle, const QString& AText, int, DialogPosition APosition,
               QWidget* AOwner) {
  return Dialogs().ShowDialog(ATitle, AText, APosition, AOwner, kModalOK);
}

int ShowQuestion(const QString& ATitle, const QString& AText, DialogPosition APosition,
                 QWidget* AOwner) {
  return Dialogs().ShowDialog(ATitle, AText, APosition, AOwner, kModalCancel);
}

QWidget* MainForm() {
  return gMainForm;
}

void SetMainForm(QWidget* form) {
  gMainForm = form;
}

TFrmDialog::TFrmDialog(QWidget* owner)
    : UiDialogScene(owner, "TFrmDialog", kWidth, kHeight, "dialog") {
  LabelTitle = AddTitle("LabelTitle", {}, 14);
  // The caller's texts are translated already.
  LabelTitle->SetAutoTranslate(false);

  // Beside the warning sign of the background, clear of the buttons.
  LabelText = new UiLabel(this, "LabelText", QRect(kTextLeft, kTextTop, kTextWidth, kTextHeight));
  LabelText->SetFontSize(13);
  LabelText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  LabelText->setWordWrap(true);
  LabelText->SetAutoTranslate(false);

  AddButtons("BtnOK", "BSBTNCANCEL", "Cancel");
  BSBTNCLOSE = AddCloseButton("BSBTNCLOSE", kModalOK);
}

void TFrmDialog::SetCloseAnswer(int result) {
  BSBTNCLOSE->OnClick = [this, result](UiBitmapStateButton&) { SetModalResult(result); };
  // Closing the window by the desktop's means answers like the close button.
  SetCloseResult(result);
}

void TFrmDialog::SetTexts(const QString& ATitle, const QString& AText) {
  LabelTitle->SetText(ATitle);
  LabelText->SetText(AText);
  AfterTranslate();
  // A message longer than the text box (the fix for a mouse without access lists a udev rule)
  // grows the window downwards instead of being cut.
  FitTexts({{LabelText, QRect(kTextLeft, kTextTop, kTextWidth, kTextHeight)}});
}

void TFrmDialog::CentreOn(const QWidget* over) {
  CentreWindowOn(*this, over);
}

void TFrmDialog::showEvent(QShowEvent* event) {
  UiDialogScene::showEvent(event);
  setFocus();
}

int WindowDialogPresenter::ShowDialog(const QString& ATitle, const QString& AText,
                                      DialogPosition APosition, QWidget* AOwner, int ACloseResult) {
  TFrmDialog dialog(AOwner);
  dialog.SetCloseAnswer(ACloseResult);
  dialog.SetTexts(ATitle, AText);
  dialog.CentreOn(APosition == DialogPosition::MainFormCenter || !AOwner ? MainForm() : AOwner);
  return dialog.ShowModal();
}

}  // namespace qor
