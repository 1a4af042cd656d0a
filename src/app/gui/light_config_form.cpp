#include "app/gui/light_config_form.h"

#include "widgets/label.h"
#include "widgets/layout.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"

namespace qor {
namespace {

// Brightness and breathing speed share one scale.
QString levelText(uint8_t level) {
  static const char* const names[] = {"Off", "Low", "Middle", "High"};
  return level < 4 ? TranslateText(names[level]) : QString::number(level);
}

}  // namespace

TLightConfigForm::TLightConfigForm(QWidget* owner, TDM& dm)
    : TSettingsForm(owner, dm, "TLightConfigForm", kWidth, kHeight, "bg_lighting.png", "Lighting") {
  AddCaption("LabelColor", "LED colour", QRect(40, 52, 200, 20));
  auto* frame = new UiRectangle(this, "FrameColor", QRect(40, 78, 180, 180));
  frame->SetFill(skin::kPanel);
  frame->SetStroke(QColor(0x3a, 0x41, 0x4d));
  frame->SetRadius(6);
  frame->setAttribute(Qt::WA_TransparentForMouseEvents);
  RectColor = new UiRectangle(frame, "RectColor");
  RectColor->SetRadius(4);
  RectColor->SetPadding(QMargins(10, 10, 10, 10));
  RectColor->SetAlign(UiAlign::Client);
  LabelColorHex = new UiLabel(this, "LabelColorHex", QRect(40, 264, 180, 22));
  LabelColorHex->setAlignment(Qt::AlignCenter);
  LabelColorHex->SetStyleName("value");
  LabelColorHex->SetAutoTranslate(false);

  const int x = 250, w = kWidth - x - 40;
  LabelRed = AddValueRow("LabelRed", "Red", x, 78, w);
  LabelGreen = AddValueRow("LabelGreen", "Green", x, 114, w);
  LabelBlue = AddValueRow("LabelBlue", "Blue", x, 150, w);
  AddCaption("LabelEffect", "Effect", QRect(40, 310, 200, 20));
  LabelBrightness = AddValueRow("LabelBrightness", "Brightness", 40, 336, kWidth - 80);
  LabelBreathing = AddValueRow("LabelBreathing", "Breathing", 40, 372, kWidth - 80);
  DoShowChangedData();
}

void TLightConfigForm::DoShowChangedData() {
  const TLEDCONFIG& led = FDM.FCurrentProfileInfo.ConfigInfo.LEDConfig;
  const QColor colour(led.R, led.G, led.B);
  RectColor->SetFill(colour);
  LabelColorHex->SetText(colour.name(QColor::HexRgb).toUpper());
  LabelRed->SetText(QString::number(led.R));
  LabelGreen->SetText(QString::number(led.G));
  LabelBlue->SetText(QString::number(led.B));
  LabelBrightness->SetText(levelText(led.BRIGHT_LEVEL));
  LabelBreathing->SetText(levelText(led.BREATH_SPEED));
}

}  // namespace qor
