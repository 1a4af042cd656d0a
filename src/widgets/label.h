// SPDX-License-Identifier: GPL-2.0-or-later
// UiLabel: a label or text object; its text passes through the translation.
#pragma once

#include <QLabel>
#include <functional>

#include "widgets/ui_control.h"

namespace qor {

class UiLabel : public QLabel, public UiTextControl {
 public:
  UiLabel(QWidget* parent, const QString& name, const QRect& geometry = {},
          const QString& text = {});
  // A look of the skin: "title" (bold), "caption" (dim), "value" (accent); empty for plain
  // text.
  void SetStyleName(const QString& style);
  // Pixel size and weight of the font.
  void SetFontSize(int pixels, bool bold = false);
  // A text wider than the label is shown in a smaller font, down to `minimumPixels` (a title
  // in a strip of fixed width); 0, the default, keeps the font.
  void SetShrinkToFit(int minimumPixels);
  // On: the label takes clicks (with the hand cursor) and raises OnClick; off (the default),
  // clicks pass through to the window behind it.
  void SetClickable(bool on);

  std::function<void(UiLabel&)> OnClick;

 protected:
  void ShowText(const QString& text) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool FBold = false;  // asked for by SetFontSize; titles are bold anyway
  int FPixels = 0;     // the size asked for by SetFontSize; 0: the font as inherited
  int FMinimumPixels = 0;
  void applyLook();
  void fitFont();
};

}  // namespace qor
