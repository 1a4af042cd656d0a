#include "app/gui/frm_dialog.h"

#include <QKeyEvent>

#include "app/gui/dialog_scene.h"
#include "widgets/bitmap_state_button.h"
#include "widgets/label.h"
#include "widgets/skin.h"
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

TFrmDialog::TFrmDialog(QWidget* owner) : UiScene(owner, "TFrmDialog", kWidth, kHeight) {
  SetBackground(skin::SkinPixmap("bg_dialog.png"));
  SetCloseAnswer(kModalOK);
  setFocusPolicy(Qt::StrongFocus);

  LabelTitle = new UiLabel(this, "LabelTitle", QRect(40, 0, kWidth - 80, 32));
  LabelTitle->SetFontSize(14, true);
  LabelTitle->setAlignment(Qt::AlignCenter);
  LabelTitle->SetStyleName("title");
  // The caller's texts are translated already.
  LabelTitle->SetAutoTranslate(false);

  // Beside the warning sign of the background, clear of the buttons.
  LabelText = new UiLabel(this, "LabelText", QRect(110, 60, 300, 65));
  LabelText->SetFontSize(13);
  LabelText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  LabelText->setWordWrap(true);
  LabelText->SetAutoTranslate(false);

  BtnOK = new UiTextButton(this, "BtnOK", QRect(kWidth - 214, kHeight - 44, 96, 28), "OK");
  BtnOK->SetModalResult(kModalOK);
  BtnOK->SetStyleName("default");
  BSBTNCANCEL =
      new UiTextButton(this, "BSBTNCANCEL", QRect(kWidth - 110, kHeight - 44, 96, 28), "Cancel");
  BSBTNCANCEL->SetModalResult(kModalCancel);

  BSBTNCLOSE = new UiBitmapStateButton(this, "BSBTNCLOSE", QRect(kWidth - 30, 4, 24, 24));
  BSBTNCLOSE->SetSkinBitmaps("close");
  BSBTNCLOSE->SetAccessibleText("Close");
  BSBTNCLOSE->OnClick = [this](UiBitmapStateButton&) { SetModalResult(FCloseAnswer); };
}

void TFrmDialog::SetCloseAnswer(int result) {
  FCloseAnswer = result;
  // Closing the window by the desktop's means answers like the close button.
  SetCloseResult(result);
}

void TFrmDialog::SetTexts(const QString& ATitle, const QString& AText) {
  LabelTitle->SetText(ATitle);
  LabelText->SetText(AText);
}

void TFrmDialog::CentreOn(const QWidget* over) {
  CentreWindowOn(*this, over);
}

void TFrmDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      SetModalResult(kModalOK);
      return;
    case Qt::Key_Escape:
      SetModalResult(kModalCancel);
      return;
    default:
      UiScene::keyPressEvent(event);
  }
}

void TFrmDialog::showEvent(QShowEvent* event) {
  UiScene::showEvent(event);
  setFocus();
}

int WindowDialogPresenter::ShowDialog(const QString& ATitle, const QString& AText,
                                      DialogPosition APosition, QWidget* AOwner, int ACloseResult) {
  TFrmDialog dialog(AOwner);
  dialog.FCreateByOther = true;
  dialog.SetCloseAnswer(ACloseResult);
  dialog.SetTexts(ATitle, AText);
  dialog.CentreOn(APosition == DialogPosition::MainFormCenter || !AOwner ? MainForm() : AOwner);
  return dialog.ShowModal();
}

}  // namespace qor
