// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/advanced_setting_form.h"

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
    l.BTNCPI->SetTag(i);
    l.BTNCPI->OnClick = [this](UiTextButton& b) { DoCPIOnOffChange(b); };
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
      track->SetBindingName("CPI" + n);
      track->SetTag(axis);
      track->SetAccessibleText("Level " + n + " " + a);
      track->OnChange = [this](UiTrackBar& t) { DoTrackCPIXYChange(t); };
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
    FRates[i]->SetTag(kReportRates[i].hz);
    FRates[i]->OnChange = [this](UiRadioButton& r) { DoReportRateChangeEvent(r); };
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
    FProfiles[i]->SetTag(i);
    FProfiles[i]->OnClick = [this](UiTextButton& b) { DoProfileSwitchClickEvent(b); };
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

  uiCommandSetting1.Commands().Add("SeCPI").OnExecute = [this](TuiGetSet, void*, uint32_t) {
    uiCommandSetting1Commands0Execute();
  };
  uiCommandSetting1.Commands().Add("SETREPORTRATE").OnExecute = [this](TuiGetSet, void*, uint32_t) {
    uiCommandSetting1Commands1Execute();
  };
  uiCommandSetting1.Commands().Add("SETPROFILEINDEX").OnExecute =
      [this](TuiGetSet, void*, uint32_t) { uiCommandSetting1Commands2Execute(); };
  FormCreate();
}

// ---- Showing the profile ------------------------------------------------------------------

void TAdvancedSettingForm::showLevelState(int i) {
  Level& l = FLevels[i];
  const bool on = FDM.FCurrentProfileInfo.ConfigInfo.CPIState[i].Enabled == 1;
  for (QWidget* w : std::initializer_list<QWidget*>{l.TrackX, l.TrackY, l.LabelX, l.LabelY})
    w->setEnabled(on);
  l.BTNCPI->SetStyleName(on ? kStyleOn : kStyleOff);
  l.BTNCPI->setChecked(on);
}

void TAdvancedSettingForm::uiCommandSetting1Commands0Execute() {
  for (int i = 0; i < kEditableCPILevels; ++i) {
    showLevelState(i);
    const TCPISTATE& s = FDM.FCurrentProfileInfo.ConfigInfo.CPIState[i];
    Level& l = FLevels[i];
    // The tracks snap a value they cannot show; the labels show the stored values.
    l.TrackX->SetUserValue(s.CPIX);
    l.TrackY->SetUserValue(s.CPIY);
    l.LabelX->SetText(QString::number(s.CPIX));
    l.LabelY->SetText(QString::number(s.CPIY));
  }
}

void TAdvancedSettingForm::uiCommandSetting1Commands1Execute() {
  // A stored rate the radios do not offer checks none of them: showing 125 Hz would say
  // something the mouse does not get.
  const int rate = FDM.FCurrentProfileInfo.ConfigInfo.ReportRate;
  for (UiRadioButton* r : FRates) r->SetChecked(r->Tag() == rate);
}

void TAdvancedSettingForm::uiCommandSetting1Commands2Execute() {
  for (UiTextButton* b : FProfiles) b->setChecked(false);
  if (TDM::IsProfileIndexInRange(FDM.FProfileIndex)) FProfiles[FDM.FProfileIndex]->setChecked(true);
}

// ---- Edits --------------------------------------------------------------------------------

void TAdvancedSettingForm::DoTrackCPIXYChange(UiTrackBar& track) {
  if (ShowingProfile() || FLinking) return;
  int level = 0;
  for (int i = 0; i < kEditableCPILevels; ++i)
    if (track.BindingName().compare("CPI" + QString::number(i + 1), Qt::CaseInsensitive) == 0)
      level = i;
  Level& l = FLevels[level];
  const int value = track.UserValue();
  TCPISTATE& s = FDM.FCurrentProfileInfo.ConfigInfo.CPIState[level];
  if (l.CheckCPI->isChecked()) {
    FLinking = true;
    (track.Tag() == 0 ? l.TrackY : l.TrackX)->SetPosition(track.Position());
    FLinking = false;
    l.LabelX->SetText(QString::number(value));
    l.LabelY->SetText(QString::number(value));
    s.CPIX = s.CPIY = uint16_t(value);
  } else if (track.Tag() == 0) {
    l.LabelX->SetText(QString::number(value));
    s.CPIX = uint16_t(value);
  } else {
    l.LabelY->SetText(QString::number(value));
    s.CPIY = uint16_t(value);
  }
  SaveBack();
}

void TAdvancedSettingForm::DoCPIOnOffChange(UiTextButton& button) {
  const int level = button.Tag();
  const bool on = FDM.FCurrentProfileInfo.ConfigInfo.CPIState[level].Enabled == 1;
  // Switching off the only level that is on is refused; the switch shows the level on again.
  SwitchCPILevel(FDM.FCurrentProfileInfo, level, !on);
  showLevelState(level);
  SaveBack();
}

void TAdvancedSettingForm::DoReportRateChangeEvent(UiRadioButton& radio) {
  // Unchecking the previous radio raises its event too; the checked one speaks for both.
  if (ShowingProfile() || !radio.isChecked()) return;
  FDM.FCurrentProfileInfo.ConfigInfo.ReportRate = uint16_t(radio.Tag());
  SaveBack();
}

void TAdvancedSettingForm::DoProfileSwitchClickEvent(UiTextButton& button) {
  const int index = button.Tag();
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
  SaveBack();
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
