// SPDX-License-Identifier: GPL-2.0-or-later
// TAdvancedSettingForm: the advanced settings window; edits the CPI levels and the report
// rate, switches the profile, and exports, imports and resets the current profile.
#pragma once

#include <array>

#include "app/gui/settings_form.h"
#include "protocol/profile_blocks.h"
#include "settings/cpi_levels.h"

namespace qor {

class UiCheckBox;
class UiTrackBar;
class UiRadioButton;
class UiTextButton;

class TAdvancedSettingForm : public TSettingsForm {
 public:
  static constexpr int kWidth = 607, kHeight = 467;
  // A track position p stands for the CPI value kTrackValueBase - p.
  static constexpr int kTrackValueBase = kMinCPI + kMaxCPI;
  TAdvancedSettingForm(QWidget* owner, TDM& dm, SettingsServices services);

  void bsbtnexportprofileClick();
  void bsbtnimportprofileClick();
  void BSBTNRESTOREDEFAULTSClick();

 private:
  struct Level {
    UiTextButton* BTNCPI;  // the level's on/off switch
    UiTrackBar* TrackX;
    UiTrackBar* TrackY;
    UiLabel* LabelX;
    UiLabel* LabelY;
    UiCheckBox* CheckCPI;  // hidden: X and Y of the level are linked while it is checked
  };

  void showProfile(const TMOUSEPROFILEINFO& profile) override;
  // Shows level i as on or off: its switch, and whether its tracks and labels are enabled.
  void showLevelState(int i, const TCPISTATE& level);
  // Level `level`'s track of `axis` (0 X, 1 Y) moved.
  void DoTrackCPIXYChange(int level, int axis);
  void DoCPIOnOffChange(int level);
  void DoReportRateChangeEvent(int hz);
  void DoProfileSwitchClickEvent(int index);
  void showStoreProblem(const std::string& reason);

  std::array<Level, kEditableCPILevels> FLevels{};
  std::array<UiRadioButton*, kReportRates.size()> FRates{};
  std::array<UiTextButton*, kProfileSlots> FProfiles{};
  UiTextButton* bsbtnexportprofile;
  UiTextButton* bsbtnimportprofile;
  UiTextButton* BSBTNRESTOREDEFAULTS;
};

}  // namespace qor
