// TLightConfigForm: the lighting window; shows the LED colour, brightness and breathing.
#pragma once

#include "app/gui/settings_form.h"

namespace qor {

class UiRectangle;

class TLightConfigForm : public TSettingsForm {
 public:
  static constexpr int kWidth = 516, kHeight = 466;
  TLightConfigForm(QWidget* owner, TDM& dm);
  void DoShowChangedData() override;

 private:
  UiRectangle* RectColor;
  UiLabel* LabelColorHex;
  UiLabel* LabelRed;
  UiLabel* LabelGreen;
  UiLabel* LabelBlue;
  UiLabel* LabelBrightness;
  UiLabel* LabelBreathing;
};

}  // namespace qor
