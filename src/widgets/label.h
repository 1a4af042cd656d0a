// UiLabel: a label or text object; its text passes through the translation.
#pragma once

#include <QLabel>

#include "widgets/ui_control.h"

namespace qor {

class UiLabel : public QLabel, public UiTextControl {
 public:
  UiLabel(QWidget* parent, const QString& name, const QRect& geometry = {},
          const QString& text = {});
  // A skin style of the style sheet ("title", "caption", "value"; empty for plain text).
  void SetStyleName(const QString& style);
  // Pixel size and weight of the font.
  void SetFontSize(int pixels, bool bold = false);

 protected:
  void ShowText(const QString& text) override { setText(text); }
};

}  // namespace qor
