// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/advanced_setting_form.h"

#include <QSignalBlocker>

#include "app/gui/dialog_presenter.h"
#include "model/profile_import.h"
#include "widgets/accessibility.h"
#include "widgets/choice_buttons.h"
#include "widgets/label.h"
#include "widgets/layout.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"
#include "widgets/text_button.h"
#include "widgets/track_bar.h"

namespace qor {
namespace {

constexpr int kPanelWidth = 132, kPanelHeight = 226, kPanelGap = 10, kPanelTop = 64;
constexpr int kLeft = (TAdvancedSettingForm::kWidth - 4 * kPanelWidth - 3 * kPanelGap) / 2;
constexpr int kContentWidth = 4 * kPanelWidth + 3 * kPanelGap;

const char* const kStyleOn = "CPI-A";
const char* const kStyleOff = "CPI-N";

}  // namespace

TAdvancedSettingForm::TAdvancedSettingForm(QWidget* owner, TDM& dm, SettingsServices services)
    : TSettingsForm(owner, dm, services, "TAdvancedSettingForm", kWidth, kHeight, "bg_advanced.png",
                    "Advanced Settings") {
  AddCaption("LabelCPI", "CPI levels", QRect(kLeft, 40, 200, 20));
  for (int i = 0; i < kEditableCPILevels; ++i) {
    const QString n = QString::number(i + 1);
    Level& l = FLevels[i];
    UiRectangle* panel = AddPanel(
        this, "PanelCPI" + n,
        QRect(kLeft + i * (kPanelWidth + kPanelGap), kPanelTop, kPanelWidth, kPanelHeight));
    l.BTNCPI =
        new UiTextButton(panel, "BTNCPI" + n, QRect(10, 8, kPanelWidth - 20, 26), "Level " + n);
    l.BTNCPI->SetToggle(true);
    l.BTNCPI->OnClick = [this, i](UiTextButton&) { DoCPIOnOffChange(i); };
    for (int axis = 0; axis < 2; ++axis) {
      const QString a = axis == 0 ? "X" : "Y";
      const int x = axis == 0 ? 16 : kPanelWidth - 60;
      auto* axisLabel = new UiLabel(panel, "AxisCPI" + n + a, QRect(x, 40, 44, 18), a);
      axisLabel->SetAutoTranslate(false);  // the axis letters read the same in every language
      axisLabel->setAlignment(Qt::AlignCenter);
      axisLabel->SetStyleName("caption");
      auto* track =
          new UiTrackBar(panel, "TrackCPI" + n + a, Qt::Vertical, QRect(x + 12, 60, 20, 128));
      track->SetRange(kMinCPI, kMaxCPI, kCPITrackStep);
      track->SetValueMapping(kTrackValueBase, true);
      // The track runs opposite to its value: the highest CPI sits at the top, and the
      // Up key moves towards it.
      track->setInvertedAppearance(true);
      track->setInvertedControls(true);
      track->SetAccessibleText("Level " + n + " " + a);
      track->OnChange = [this, i, axis](UiTrackBar&) { DoTrackCPIXYChange(i, axis); };
      auto* num = new UiLabel(panel, "LCPI" + n + a + "Num", QRect(x - 2, 194, 56, 22));
      num->setAlignment(Qt::AlignCenter);
      num->SetStyleName("value");
      num->SetAutoTranslate(false);
      (axis == 0 ? l.TrackX : l.TrackY) = track;
      (axis == 0 ? l.LabelX : l.LabelY) = num;
    }
    l.CheckCPI = new UiCheckBox(panel, "CheckCPI" + n);
    l.CheckCPI->setChecked(true);
    l.CheckCPI->setEnabled(false);
    l.CheckCPI->hide();
  }

  const int rateY = kPanelTop + kPanelHeight + 10;
  AddCaption("LabelReportRate", "Report rate", QRect(kLeft, rateY, 200, 20));
  UiRectangle* rates =
      AddPanel(this, "PanelReportRate", QRect(kLeft, rateY + 22, kContentWidth, 30), "Report rate");
  for (std::size_t i = 0; i < kReportRates.size(); ++i) {
    const QString hz = QString::number(kReportRates[i].hz);
    FRates[i] = new UiRadioButton(rates, "RD" + hz + "HZ", "ReportRate",
                                  QRect(16 + int(i) * (kContentWidth / 4), 4, 110, 22), hz + " Hz");
    FRates[i]->OnChange = [this, hz = kReportRates[i].hz](UiRadioButton& r) {
      // Unchecking the previous radio raises its event too; the checked one speaks for both.
      if (r.isChecked()) DoReportRateChangeEvent(hz);
    };
  }

  const int profileY = rateY + 62;
  AddCaption("LabelProfile", "Profile", QRect(kLeft, profileY, 200, 20));
  const int buttonWidth = (kContentWidth - 4 * 8) / kProfileSlots;
  for (int i = 0; i < kProfileSlots; ++i) {
    const QString n = QString::number(i + 1);
    FProfiles[i] = new UiTextButton(
        this, "bsbtnprofile" + n,
        QRect(kLeft + i * (buttonWidth + 8), profileY + 22, buttonWidth, 28), "PROFILE " + n);
    FProfiles[i]->SetToggle(true);
    SetAccessibleRadioButton(*FProfiles[i]);  // one profile of five is current
    FProfiles[i]->OnClick = [this, i](UiTextButton&) { DoProfileSwitchClickEvent(i); };
  }

  const int actionY = kHeight - 44;
  const int actionWidth = 120;
  auto action = [&](const char* name, int slot, const char* caption) {
    auto* b = new UiTextButton(
        this, name,
        QRect(kLeft + kContentWidth - (3 - slot) * (actionWidth + 8) + 8, actionY, actionWidth, 28),
        caption);
    return b;
  };
  bsbtnexportprofile = action("bsbtnexportprofile", 0, "Export");
  bsbtnimportprofile = action("bsbtnimportprofile", 1, "Import");
  BSBTNRESTOREDEFAULTS = action("BSBTNRESTOREDEFAULTS", 2, "Reset");
  bsbtnexportprofile->SetHint("Export profile");
  bsbtnimportprofile->SetHint("Import profile");
  BSBTNRESTOREDEFAULTS->SetHint("Reset This Profile");
  bsbtnexportprofile->OnClick = [this](UiTextButton&) { bsbtnexportprofileClick(); };
  bsbtnimportprofile->OnClick = [this](UiTextButton&) { bsbtnimportprofileClick(); };
  BSBTNRESTOREDEFAULTS->OnClick = [this](UiTextButton&) { BSBTNRESTOREDEFAULTSClick(); };

  DoShowChangedData();
}

// ---- Showing the profile ------------------------------------------------------------------

void TAdvancedSettingForm::showLevelState(int i, const TCPISTATE& level) {
  Level& l = FLevels[i];
  const bool on = level.Enabled == 1;
  for (QWidget* w : std::initializer_list<QWidget*>{l.TrackX, l.TrackY, l.LabelX, l.LabelY})
    w->setEnabled(on);
  l.BTNCPI->SetStyleName(on ? kStyleOn : kStyleOff);
  l.BTNCPI->setChecked(on);
}

void TAdvancedSettingForm::showProfile(const TMOUSEPROFILEINFO& profile) {
  const TMOUSECONFIGINFO& c = profile.ConfigInfo;
  for (int i = 0; i < kEditableCPILevels; ++i) {
    const TCPISTATE& s = c.CPIState[i];
    Level& l = FLevels[i];
    showLevelState(i, s);
    // The tracks snap a value they cannot show; the labels show the stored values.
    l.TrackX->SetUserValue(s.CPIX);
    l.TrackY->SetUserValue(s.CPIY);
    l.LabelX->SetText(QString::number(s.CPIX));
    l.LabelY->SetText(QString::number(s.CPIY));
  }
  // A stored rate the radios do not offer checks none of them: showing 125 Hz would say
  // something the mouse does not get.
  for (std::size_t i = 0; i < kReportRates.size(); ++i)
    FRates[i]->SetChecked(kReportRates[i].hz == c.ReportRate);
  for (int i = 0; i < kProfileSlots; ++i) FProfiles[i]->setChecked(i == FDM.FProfileIndex);
}

// ---- Edits --------------------------------------------------------------------------------

void TAdvancedSettingForm::DoTrackCPIXYChange(int level, int axis) {
  Level& l = FLevels[level];
  UiTrackBar* moved = axis == 0 ? l.TrackX : l.TrackY;
  const int value = moved->UserValue();
  const bool linked = l.CheckCPI->isChecked();
  if (linked) {
    // The partner follows; its own change event would store the same value again.
    UiTrackBar* partner = axis == 0 ? l.TrackY : l.TrackX;
    const QSignalBlocker held(partner);
    partner->SetPosition(moved->Position());
  }
  FDM.EditCurrentProfile([&](TMOUSEPROFILEINFO& p) {
    TCPISTATE& s = p.ConfigInfo.CPIState[level];
    if (linked || axis == 0) s.CPIX = uint16_t(value);
    if (linked || axis == 1) s.CPIY = uint16_t(value);
  });
  const TCPISTATE& s = FDM.CurrentProfile().ConfigInfo.CPIState[level];
  l.LabelX->SetText(QString::number(s.CPIX));
  l.LabelY->SetText(QString::number(s.CPIY));
}

void TAdvancedSettingForm::DoCPIOnOffChange(int level) {
  // Switching off the only level that is on is refused; the switch shows the level on again.
  FDM.EditCurrentProfile([level](TMOUSEPROFILEINFO& p) {
    SwitchCPILevel(p, level, p.ConfigInfo.CPIState[level].Enabled != 1);
  });
  showLevelState(level, FDM.CurrentProfile().ConfigInfo.CPIState[level]);
}

void TAdvancedSettingForm::DoReportRateChangeEvent(int hz) {
  FDM.EditCurrentProfile([hz](TMOUSEPROFILEINFO& p) { p.ConfigInfo.ReportRate = uint16_t(hz); });
}

void TAdvancedSettingForm::DoProfileSwitchClickEvent(int index) {
  FDM.SwitchToProfile(index);
  FDM.SaveBackAllProfileSettingInfo();
  DoShowChangedData();
  FServices.monitor.Notify(1, uint32_t(index));
  FDM.NoticeMainFormToUpdateSomeChanged();
}

// ---- Export, import, reset ----------------------------------------------------------------

void TAdvancedSettingForm::showStoreProblem(const std::string& reason) {
  ShowDialog(TranslateText("Warning"), FromUtf8(reason), 0, DialogPosition::MainFormCenter, this);
}

void TAdvancedSettingForm::bsbtnexportprofileClick() {
  const QString file =
      FServices.files.SaveProfileFile(this, QString::fromStdString(FDM.DocumentsFolder()));
  if (file.isEmpty()) return;
  // The file is written from the slot's store, which then holds everything edited.
  FDM.SaveBackToCurrentProfileInfo();
  const std::string path = file.toStdString();
  // A failure of the file layer reaches the user through the data module's problem report;
  // any other failure is told here.
  if (!FDM.SaveCurrentProfileInfoToFile(path) && !FDM.SlotStore(FDM.FProfileIndex).LastError())
    showStoreProblem("cannot export to " + path);
}

void TAdvancedSettingForm::bsbtnimportprofileClick() {
  const QString file =
      FServices.files.OpenProfileFile(this, QString::fromStdString(FDM.DocumentsFolder()));
  if (file.isEmpty()) return;
  const ProfileFileCheck check = ImportProfileFile(FDM, file.toStdString());
  switch (check.verdict) {
    case ProfileFileCheck::Verdict::Ok:
      DoShowChangedData();
      FServices.monitor.Notify(1, uint32_t(FDM.FProfileIndex));
      return;
    case ProfileFileCheck::Verdict::VersionIncorrect:
      ShowDialog(TranslateText("Warning"), TranslateText(kProfileVersionIncorrect), 0,
                 DialogPosition::MainFormCenter, this);
      return;
    case ProfileFileCheck::Verdict::Unreadable:
    case ProfileFileCheck::Verdict::WrongSize:
      showStoreProblem(check.detail);
      return;
  }
}

void TAdvancedSettingForm::BSBTNRESTOREDEFAULTSClick() {
  if (ShowQuestion(TranslateText("Reset This Profile"),
                   TranslateText("Are you sure you want to reset this profile ?"),
                   DialogPosition::OwnerFormCenter, this) != kModalOK)
    return;
  FDM.RestoreCurrentProfileInfoToDefault();
  FDM.NoticeMainFormToUpdateSomeChanged();
}

}  // namespace qor
