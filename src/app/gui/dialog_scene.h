// SPDX-License-Identifier: GPL-2.0-or-later
// UiDialogScene: what the small modal dialogs share: the background, the title in the top
// strip, OK and cancel at the bottom right, the close button, the place centred on the main
// window, and Enter and Escape.
#pragma once

#include <QRect>
#include <initializer_list>

#include "widgets/scene_window.h"

namespace qor {

class UiLabel;
class UiTextButton;
class UiBitmapStateButton;

// Moves `window` to the centre of `over`, or of the primary screen when `over` is null or
// hidden.
void CentreWindowOn(QWidget& window, const QWidget* over);

class UiDialogScene : public UiScene {
 public:
  // A dialog of `width` x `height` on the skin picture bg_<background>.png.
  UiDialogScene(QWidget* owner, const QString& name, int width, int height,
                const QString& background);

  void CentreOnMainForm();

  // How far long texts may grow a dialog beyond its designed height.
  static constexpr int kMaxExtraHeight = 400;

 protected:
  // A text label and the box it was designed in.
  struct TextBox {
    UiLabel* label;
    QRect designed;
  };
  // Lays out `boxes` (top to bottom) so that each shows its whole text instead of cutting it:
  // a text too long for its box widens the box up to the right margin, then makes it taller;
  // what lies below it (the later boxes, the buttons, the window's bottom) moves down with it.
  void FitTexts(std::initializer_list<TextBox> boxes);
  // The title, centred in the top strip.
  UiLabel* AddTitle(const QString& name, const QString& text, int pixels);
  // OK (result through Accept) and cancel (result 2) at the bottom right.
  void AddButtons(const QString& okName, const QString& cancelName, const QString& cancelCaption);
  // The close button in the top strip, ending with `result`; named "Close" for assistive
  // technology.
  UiBitmapStateButton* AddCloseButton(const QString& name, int result);
  // What OK and Enter do; the default ends with result 1.
  virtual void Accept() { SetModalResult(kModalOK); }

  void keyPressEvent(QKeyEvent* event) override;
  // Names the window by its title again after a language change.
  void AfterTranslate() override;

  UiLabel* FTitle = nullptr;
  const int FDesignedHeight;
  UiTextButton* OKButton = nullptr;
  UiTextButton* CancelButton = nullptr;
};

}  // namespace qor
