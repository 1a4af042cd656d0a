// SPDX-License-Identifier: GPL-2.0-or-later
// TSensitivityForm: the sensitivity window; edits the profile's desktop pointer settings
// (pointer speed and acceleration, wheel lines, double-click time).
#pragma once

#include "app/gui/settings_form.h"

namespace qor {

class UiCheckBox;
class UiTrackBar;

class TSensitivityForm : public TSettingsForm {
 public:
  static constexpr int kWidth = 257, kHeight = 433;
  // The wheel setting's value for "one page per notch".
  static constexpr int kWheelOnePage = 30;
  // A double-click track position p stands for kDoubleClickBase - p milliseconds.
  static constexpr int kDoubleClickBase = 1200;
  TSensitivityForm(QWidget* owner, TDM& dm, SettingsServices services);

 private:
  void uiCommandSetting1Commands0Execute();  // "SetMouseParam"
  void DOSpeedValueChangedEvent(UiTrackBar& track);
  void CHKENHANCEPOINTERChange();
  void CHKSCROLLONEPAGEChange();
  void showValues();

  UiLabel* LabelPointerSpeed;
  UiTrackBar* TrackBarPointerSpeed;
  UiCheckBox* CHKENHANCEPOINTER;
  UiLabel* LabelScrollSpeed;
  UiTrackBar* TrackBarScrollSpeed;
  UiCheckBox* CHKSCROLLONEPAGE;
  UiLabel* LabelDoubleClickSpeed;
  UiTrackBar* TrackBarDoubleClickSpeed;
};

}  // namespace qor
