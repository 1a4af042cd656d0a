// SPDX-License-Identifier: GPL-2.0-or-later
// TSensitivityForm: the sensitivity window; edits the profile's desktop pointer settings
// (pointer speed and acceleration, wheel lines, double-click time).
#pragma once

#include <functional>

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
  void showProfile(const TMOUSEPROFILEINFO& profile) override;
  // Applies `change` to the profile's mouse settings through the data module's edit session
  // and shows the values; returns whether anything changed.
  bool editConfig(const std::function<void(TMOUSECONFIGINFO&)>& change);
  void TrackBarPointerSpeedChange();
  void TrackBarScrollSpeedChange();
  void TrackBarDoubleClickSpeedChange();
  void CHKENHANCEPOINTERChange();
  void CHKSCROLLONEPAGEChange();
  // The value labels: what is stored, also where a track can only show the nearest step.
  void showValues(const TMOUSECONFIGINFO& c);

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
