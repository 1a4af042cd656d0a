// TAdvancedSettingForm: the advanced settings window; shows the CPI levels, the report rate
// and which profile is current.
#pragma once

#include <array>

#include "app/gui/settings_form.h"
#include "settings/cpi_levels.h"

namespace qor {

class UiRectangle;
class UiTrackBar;
class UiRadioButton;
class UiTextButton;

class TAdvancedSettingForm : public TSettingsForm {
 public:
  static constexpr int kWidth = 607, kHeight = 467;
  TAdvancedSettingForm(QWidget* owner, TDM& dm);
  void DoShowChangedData() override;

 private:
  struct Level {
    UiRectangle* panel;
    UiLabel* state;
    UiTrackBar* trackX;
    UiTrackBar* trackY;
    UiLabel* numX;
    UiLabel* numY;
  };
  std::array<Level, kEditableCPILevels> FLevels{};
  std::array<UiRadioButton*, 4> FRates{};
  std::array<UiTextButton*, kProfileSlots> FProfiles{};
};

}  // namespace qor
