// SPDX-License-Identifier: GPL-2.0-or-later
// TFrmDialog: the notice or question window behind ShowDialog.
#pragma once

#include "app/gui/dialog_presenter.h"
#include "app/gui/dialog_scene.h"

namespace qor {

class TFrmDialog : public UiDialogScene {
 public:
  static constexpr int kWidth = 486, kHeight = 172;
  // The text box as designed.
  static constexpr int kTextLeft = 110, kTextTop = 60, kTextWidth = 300, kTextHeight = 65;
  explicit TFrmDialog(QWidget* owner);

  void SetTexts(const QString& ATitle, const QString& AText);
  // What the close button answers: OK unless a question says otherwise.
  void SetCloseAnswer(int result);
  // Moves the window to the centre of `over`, or of its screen when null.
  void CentreOn(const QWidget* over);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  UiLabel* LabelTitle;
  UiLabel* LabelText;
  UiBitmapStateButton* BSBTNCLOSE = nullptr;
};

// The presenter that shows TFrmDialog.
class WindowDialogPresenter final : public DialogPresenter {
 public:
  int ShowDialog(const QString& ATitle, const QString& AText, DialogPosition APosition,
                 QWidget* AOwner, int ACloseResult) override;
};

}  // namespace qor
