#include "app/gui/sensitivity_form.h"

#include "widgets/label.h"
#include "widgets/qt_text.h"
#include "widgets/track_bar.h"

namespace qor {
namespace {

// The wheel setting's value for "one page at a time".
constexpr int kWheelOnePage = 30;

UiTrackBar* addTrack(TSettingsForm& form, const QString& name, int y, int minimum, int maximum) {
  auto* track = new UiTrackBar(&form, name, Qt::Horizontal, QRect(22, y, 213, 22));
  track->SetRange(minimum, maximum);
  ShowOnly(*track);
  return track;
}

}  // namespace

TSensitivityForm::TSensitivityForm(QWidget* owner, TDM& dm)
    : TSettingsForm(owner, dm, "TSensitivityForm", kWidth, kHeight, "bg_sensitivity.png",
                    "Sensitivity") {
  const int x = 14, w = kWidth - 28;
  AddCaption("LabelPointer", "Pointer", QRect(x, 44, w, 20));
  LabelPointerSpeed = AddValueRow("LabelPointerSpeed", "Pointer speed", x, 68, w);
  TrackPointerSpeed = addTrack(*this, "TrackPointerSpeed", 102, 1, 20);
  LabelAcceleration = AddValueRow("LabelAcceleration", "Acceleration", x, 138, w);
  TrackAcceleration = addTrack(*this, "TrackAcceleration", 172, 0, 3);
  AddCaption("LabelWheel", "Wheel", QRect(x, 216, w, 20));
  LabelWheelLines = AddValueRow("LabelWheelLines", "Scroll lines", x, 240, w);
  TrackWheelLines = addTrack(*this, "TrackWheelLines", 274, 1, 10);
  AddCaption("LabelButtons", "Buttons", QRect(x, 318, w, 20));
  LabelDoubleClick = AddValueRow("LabelDoubleClick", "Double-click time", x, 342, w);
  DoShowChangedData();
}

void TSensitivityForm::DoShowChangedData() {
  const TMOUSECONFIGINFO& c = FDM.FCurrentProfileInfo.ConfigInfo;
  LabelPointerSpeed->SetText(QString("%1 / 20").arg(c.PointerSpeed));
  TrackPointerSpeed->SetPosition(c.PointerSpeed);
  LabelAcceleration->SetText(c.PointerAcceleration == 0
                                 ? TranslateText("Off")
                                 : QString("%1 / 3").arg(c.PointerAcceleration));
  TrackAcceleration->SetPosition(c.PointerAcceleration);
  const bool page = c.VWheelSpeed == kWheelOnePage;
  LabelWheelLines->SetText(page ? TranslateText("One page") : QString::number(c.VWheelSpeed));
  TrackWheelLines->setVisible(!page);
  TrackWheelLines->SetPosition(c.VWheelSpeed);
  LabelDoubleClick->SetText(QString("%1 %2").arg(c.DoubleClickSpeed).arg(TranslateText("ms")));
}

}  // namespace qor
