#include "app/gui/advanced_setting_form.h"

#include "widgets/choice_buttons.h"
#include "widgets/label.h"
#include "widgets/layout.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"
#include "widgets/text_button.h"
#include "widgets/track_bar.h"

namespace qor {
namespace {

constexpr std::array<int, 4> kRates = {125, 250, 500, 1000};
constexpr int kPanelWidth = 132, kPanelHeight = 250, kPanelGap = 10;

}  // namespace

TAdvancedSettingForm::TAdvancedSettingForm(QWidget* owner, TDM& dm)
    : TSettingsForm(owner, dm, "TAdvancedSettingForm", kWidth, kHeight, "bg_advanced.png",
                    "Advanced Settings") {
  const int left = (kWidth - kEditableCPILevels * kPanelWidth - 3 * kPanelGap) / 2;
  AddCaption("LabelCPI", "CPI levels", QRect(left, 42, 200, 20));
  for (int i = 0; i < kEditableCPILevels; ++i) {
    const QString n = QString::number(i + 1);
    Level& l = FLevels[i];
    l.panel =
        new UiRectangle(this, "PanelCPI" + n,
                        QRect(left + i * (kPanelWidth + kPanelGap), 66, kPanelWidth, kPanelHeight));
    l.panel->SetRadius(4);
    l.panel->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* title = new UiLabel(l.panel, "LabelCPI" + n, QRect(10, 6, 70, 22), "Level " + n);
    title->SetStyleName("title");
    l.state = new UiLabel(l.panel, "StateCPI" + n, QRect(kPanelWidth - 60, 6, 50, 22));
    l.state->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l.state->SetAutoTranslate(false);
    for (int axis = 0; axis < 2; ++axis) {
      const QString a = axis == 0 ? "X" : "Y";
      const int x = axis == 0 ? 22 : kPanelWidth - 50;
      auto* axisLabel = new UiLabel(l.panel, "AxisCPI" + n + a, QRect(x, 34, 28, 18), a);
      axisLabel->setAlignment(Qt::AlignCenter);
      axisLabel->SetStyleName("caption");
      auto* track =
          new UiTrackBar(l.panel, "TrackCPI" + n + a, Qt::Vertical, QRect(x + 4, 56, 20, 150));
      track->SetRange(kMinCPI, kMaxCPI, kCPITrackStep);
      track->SetBindingName("CPI" + n);
      track->SetTag(axis);
      ShowOnly(*track);
      auto* num = new UiLabel(l.panel, "LCPI" + n + a + "Num", QRect(x - 16, 212, 60, 22));
      num->setAlignment(Qt::AlignCenter);
      num->SetStyleName("value");
      num->SetAutoTranslate(false);
      (axis == 0 ? l.trackX : l.trackY) = track;
      (axis == 0 ? l.numX : l.numY) = num;
    }
  }

  const int rateY = 66 + kPanelHeight + 20;
  AddCaption("LabelReportRate", "Report rate", QRect(left, rateY, 200, 20));
  for (std::size_t i = 0; i < kRates.size(); ++i) {
    const QString hz = QString::number(kRates[i]);
    FRates[i] = new UiRadioButton(this, "RD" + hz + "HZ", "ReportRate",
                                  QRect(left + int(i) * 110, rateY + 24, 100, 22), hz + " Hz");
    ShowOnly(*FRates[i]);
  }

  const int profileY = rateY + 62;
  AddCaption("LabelProfile", "Profile", QRect(left, profileY, 200, 20));
  const int buttonWidth = (kEditableCPILevels * kPanelWidth + 3 * kPanelGap - 4 * 8) / 5;
  for (int i = 0; i < kProfileSlots; ++i) {
    const QString n = QString::number(i + 1);
    FProfiles[i] = new UiTextButton(
        this, "bsbtnprofile" + n,
        QRect(left + i * (buttonWidth + 8), profileY + 24, buttonWidth, 28), "PROFILE " + n);
    FProfiles[i]->SetToggle(true);
    FProfiles[i]->SetTag(i);
    ShowOnly(*FProfiles[i]);
  }
  DoShowChangedData();
}

void TAdvancedSettingForm::DoShowChangedData() {
  const TMOUSECONFIGINFO& c = FDM.FCurrentProfileInfo.ConfigInfo;
  for (int i = 0; i < kEditableCPILevels; ++i) {
    const TCPISTATE& s = c.CPIState[i];
    Level& l = FLevels[i];
    const bool on = s.Enabled == 1;
    const bool current = c.CurrentCPIIndex == i;
    l.state->SetText(TranslateText(on ? "On" : "Off"));
    l.state->SetStyleName(on ? "value" : "caption");
    // The active level is framed in the accent colour.
    l.panel->SetStroke(current ? skin::kAccent : QColor(0x2c, 0x31, 0x3a));
    l.trackX->SetPosition(s.CPIX);
    l.trackY->SetPosition(s.CPIY);
    l.numX->SetText(QString::number(s.CPIX));
    l.numY->SetText(QString::number(s.CPIY));
  }
  for (std::size_t i = 0; i < kRates.size(); ++i) FRates[i]->SetChecked(c.ReportRate == kRates[i]);
  for (int i = 0; i < kProfileSlots; ++i) FProfiles[i]->setChecked(FDM.FProfileIndex == i);
}

}  // namespace qor
