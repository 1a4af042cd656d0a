// TFrmDialog: the notice or question window behind ShowDialog.
#pragma once

#include "app/gui/dialog_presenter.h"
#include "widgets/scene_window.h"

namespace qor {

class UiLabel;
class UiTextButton;
class UiBitmapStateButton;

class TFrmDialog : public UiScene {
 public:
  static constexpr int kWidth = 486, kHeight = 172;
  explicit TFrmDialog(QWidget* owner);

  void SetTexts(const QString& ATitle, const QString& AText);
  // What the close button answers: OK unless a question says otherwise.
  void SetCloseAnswer(int result);
  // Moves the window to the centre of `over`, or of its screen when null.
  void CentreOn(const QWidget* over);

  bool FCreateByOther = false;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  UiLabel* LabelTitle;
  UiLabel* LabelText;
  UiTextButton* BtnOK;
  UiTextButton* BSBTNCANCEL;
  UiBitmapStateButton* BSBTNCLOSE;
  int FCloseAnswer = kModalOK;
};

// The presenter that shows TFrmDialog.
class WindowDialogPresenter final : public DialogPresenter {
 public:
  int ShowDialog(const QString& ATitle, const QString& AText, DialogPosition APosition,
                 QWidget* AOwner, int ACloseResult) override;
};

}  // namespace qor
