// TSensitivityForm: the sensitivity window; shows the profile's desktop pointer settings.
#pragma once

#include "app/gui/settings_form.h"

namespace qor {

class UiTrackBar;

class TSensitivityForm : public TSettingsForm {
 public:
  static constexpr int kWidth = 257, kHeight = 433;
  TSensitivityForm(QWidget* owner, TDM& dm);
  void DoShowChangedData() override;

 private:
  UiLabel* LabelPointerSpeed;
  UiTrackBar* TrackPointerSpeed;
  UiLabel* LabelAcceleration;
  UiTrackBar* TrackAcceleration;
  UiLabel* LabelWheelLines;
  UiTrackBar* TrackWheelLines;
  UiLabel* LabelDoubleClick;
};

}  // namespace qor
