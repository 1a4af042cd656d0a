// SPDX-License-Identifier: GPL-2.0-or-later
// TLightConfigForm: the lighting window; edits the LED colour, brightness and breathing.
#pragma once

#include <array>
#include <functional>

#include "app/gui/settings_form.h"

namespace qor {

class UiRadioButton;
class UiTextButton;

// The nine preset colours, as the toolkit writes colours (#AARRGGBB), with their names.
struct LedSwatch {
  const char* name;    // RCC1 ..
  const char* colour;  // #AARRGGBB
  const char* caption;
};
inline constexpr std::array<LedSwatch, 9> kLedSwatches = {{
    {"RCC1", "#FFB90001", "Red"},
    {"RCC2", "#FFFF4700", "Orange"},
    {"RCC3", "#FFF8E801", "Yellow"},
    {"RCC4", "#FF00FF01", "Green"},
    {"RCC5", "#FF26A2EA", "Sky Blue"},
    {"RCC6", "#FF0F0FBD", "Blue"},
    {"RCC7", "#FFD90A7E", "Pink"},
    {"RCC8", "#FFFFFFFF", "White"},
    {"RCC9", "#FF000000", "Black"},
}};

class TLightConfigForm : public TSettingsForm {
 public:
  static constexpr int kWidth = 516, kHeight = 466;
  TLightConfigForm(QWidget* owner, TDM& dm, SettingsServices services);

 private:
  void showProfile(const TMOUSEPROFILEINFO& profile) override;
  // Stores a lighting change at once through the data module's edit session (kept only in
  // the window, it would be lost by a profile switch) and has the main window show it on the
  // mouse.
  void editLED(const std::function<void(TLEDCONFIG&)>& change);
  void RCC1Click(std::size_t swatch);
  void RBBRCLOSEChange(int level);
  void RBSPCLOSEChange(int level);
  // The selected colour's box and code, and the mark on its swatch.
  void showColour(const TLEDCONFIG& led);
  std::array<UiRadioButton*, 4> addLevelGroup(const QString& prefix, const QString& group,
                                              const QString& caption, int y);

  std::array<UiTextButton*, kLedSwatches.size()> FSwatches{};
  UiRectangle* RCCSELECTEDCOLOR;
  UiLabel* LabelColorHex;
  std::array<UiRadioButton*, 4> FBrightness{};
  std::array<UiRadioButton*, 4> FBreathing{};
};

}  // namespace qor
