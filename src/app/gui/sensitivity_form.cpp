// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/sensitivity_form.h"

#include "widgets/choice_buttons.h"
#include "widgets/label.h"
#include "widgets/qt_text.h"
#include "widgets/track_bar.h"

namespace qor {
namespace {

constexpr int kLeft = 14, kInnerWidth = TSensitivityForm::kWidth - 28;

UiTrackBar* addTrack(TSettingsForm& form, const QString& name, const QString& accessibleName, int y,
                     int maximum, int frequency) {
  auto* track =
      new UiTrackBar(&form, name, Qt::Horizontal, QRect(kLeft + 8, y, kInnerWidth - 16, 22));
  track->SetRange(0, maximum, frequency);
  track->SetAccessibleText(accessibleName);
  return track;
}

}  // namespace

TSensitivityForm::TSensitivityForm(QWidget* owner, TDM& dm, SettingsServices services)
    : TSettingsForm(owner, dm, services, "TSensitivityForm", kWidth, kHeight, "bg_sensitivity.png",
                    "Sensitivity") {
  AddCaption("LabelPointer", "Pointer", QRect(kLeft, 40, kInnerWidth, 20));
  LabelPointerSpeed = AddValueRow("LabelPointerSpeed", "Pointer speed", kLeft, 62, kInnerWidth);
  TrackBarPointerSpeed = addTrack(*this, "TrackBarPointerSpeed", "Pointer speed", 98, 10, 1);
  CHKENHANCEPOINTER =
      new UiCheckBox(this, "CHKENHANCEPOINTER", QRect(kLeft + 4, 128, kInnerWidth, 22),
                     "Enhance pointer precision");

  AddCaption("LabelWheel", "Wheel", QRect(kLeft, 164, kInnerWidth, 20));
  LabelScrollSpeed = AddValueRow("LabelScrollSpeed", "Scroll lines", kLeft, 186, kInnerWidth);
  TrackBarScrollSpeed = addTrack(*this, "TrackBarScrollSpeed", "Scroll lines", 222, 10, 1);
  CHKSCROLLONEPAGE = new UiCheckBox(this, "CHKSCROLLONEPAGE",
                                    QRect(kLeft + 4, 252, kInnerWidth, 22), "One page per notch");

  AddCaption("LabelButtons", "Buttons", QRect(kLeft, 288, kInnerWidth, 20));
  LabelDoubleClickSpeed =
      AddValueRow("LabelDoubleClickSpeed", "Double-click speed", kLeft, 310, kInnerWidth);
  TrackBarDoubleClickSpeed =
      addTrack(*this, "TrackBarDoubleClickSpeed", "Double-click speed", 346, 1000, 100);
  TrackBarDoubleClickSpeed->SetValueMapping(kDoubleClickBase, true);
  auto* slow = new UiLabel(this, "LabelSlow", QRect(kLeft + 8, 370, 100, 18), "Slow");
  slow->SetStyleName("caption");
  auto* fast = new UiLabel(this, "LabelFast", QRect(kWidth - kLeft - 108, 370, 100, 18), "Fast");
  fast->SetStyleName("caption");
  fast->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  TrackBarPointerSpeed->OnChange = [this](UiTrackBar&) { TrackBarPointerSpeedChange(); };
  TrackBarScrollSpeed->OnChange = [this](UiTrackBar&) { TrackBarScrollSpeedChange(); };
  TrackBarDoubleClickSpeed->OnChange = [this](UiTrackBar&) { TrackBarDoubleClickSpeedChange(); };
  CHKENHANCEPOINTER->OnChange = [this](UiCheckBox&) { CHKENHANCEPOINTERChange(); };
  CHKSCROLLONEPAGE->OnChange = [this](UiCheckBox&) { CHKSCROLLONEPAGEChange(); };
  DoShowChangedData();
}

void TSensitivityForm::showValues(const TMOUSECONFIGINFO& c) {
  LabelPointerSpeed->SetText(QString("%1 / 20").arg(c.PointerSpeed));
  LabelScrollSpeed->SetText(c.VWheelSpeed == kWheelOnePage ? TranslateText("One page")
                                                           : QString::number(c.VWheelSpeed));
  LabelDoubleClickSpeed->SetText(QString("%1 %2").arg(c.DoubleClickSpeed).arg(TranslateText("ms")));
}

void TSensitivityForm::showProfile(const TMOUSEPROFILEINFO& profile) {
  const TMOUSECONFIGINFO& c = profile.ConfigInfo;
  const bool onePage = c.VWheelSpeed == kWheelOnePage;
  TrackBarScrollSpeed->SetPosition(onePage ? 5 : c.VWheelSpeed);
  TrackBarScrollSpeed->setEnabled(!onePage);
  CHKSCROLLONEPAGE->setChecked(onePage);
  TrackBarDoubleClickSpeed->SetUserValue(c.DoubleClickSpeed);
  TrackBarPointerSpeed->SetPosition(c.PointerSpeed / 2);
  CHKENHANCEPOINTER->setChecked(c.PointerAcceleration == 1);
  showValues(c);
}

bool TSensitivityForm::editConfig(const std::function<void(TMOUSECONFIGINFO&)>& change) {
  const bool changed = FDM.EditCurrentProfile([&](TMOUSEPROFILEINFO& p) { change(p.ConfigInfo); });
  showValues(FDM.CurrentProfile().ConfigInfo);
  return changed;
}

void TSensitivityForm::TrackBarPointerSpeedChange() {
  const int p = TrackBarPointerSpeed->Position();
  editConfig([p](TMOUSECONFIGINFO& c) { c.PointerSpeed = uint16_t(p == 0 ? 1 : 2 * p); });
}

void TSensitivityForm::TrackBarScrollSpeedChange() {
  const int p = TrackBarScrollSpeed->Position();
  TrackBarScrollSpeed->setEnabled(true);
  editConfig([p](TMOUSECONFIGINFO& c) { c.VWheelSpeed = uint16_t(p == 0 ? 1 : p); });
}

void TSensitivityForm::TrackBarDoubleClickSpeedChange() {
  const int ms = TrackBarDoubleClickSpeed->UserValue();
  // The desktop takes a new time at once; a drag within one step hands it nothing.
  if (editConfig([ms](TMOUSECONFIGINFO& c) { c.DoubleClickSpeed = uint16_t(ms); }) &&
      FServices.pointer)
    FServices.pointer->setDoubleClickTime(ms);
}

void TSensitivityForm::CHKENHANCEPOINTERChange() {
  const bool on = CHKENHANCEPOINTER->isChecked();
  editConfig([on](TMOUSECONFIGINFO& c) { c.PointerAcceleration = on ? 1 : 0; });
}

void TSensitivityForm::CHKSCROLLONEPAGEChange() {
  const bool onePage = CHKSCROLLONEPAGE->isChecked();
  // Leaving one-page mode with the track at 0 stores 1: a wheel that scrolls no line is
  // no setting anyone wants.
  const int p = TrackBarScrollSpeed->Position();
  TrackBarScrollSpeed->setEnabled(!onePage);
  editConfig([onePage, p](TMOUSECONFIGINFO& c) {
    c.VWheelSpeed = uint16_t(onePage ? kWheelOnePage : (p == 0 ? 1 : p));
  });
}

}  // namespace qor
