// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/light_config_form.h"

#include <QStyle>

#include "widgets/choice_buttons.h"
#include "widgets/label.h"
#include "widgets/layout.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"
#include "widgets/text_button.h"

namespace qor {
namespace {

constexpr int kSwatch = 56, kSwatchGap = 12, kLeft = 40, kTop = 70;
constexpr std::array<const char*, 4> kLevelCaptions = {"Off", "Low", "Middle", "High"};
constexpr std::array<const char*, 4> kLevelNames = {"CLOSE", "LOW", "MIDDLE", "HIGH"};

QColor swatchColour(const LedSwatch& s) {
  return QColor(QString::fromLatin1(s.colour));  // Qt reads #AARRGGBB
}

// Marks the swatch of the profile's colour.
void markSelected(UiTextButton& swatch, bool selected) {
  if (swatch.property("selected").toBool() == selected) return;
  swatch.setProperty("selected", selected);
  swatch.update();
}

}  // namespace

TLightConfigForm::TLightConfigForm(QWidget* owner, TDM& dm, SettingsServices services)
    : TSettingsForm(owner, dm, services, "TLightConfigForm", kWidth, kHeight, "bg_lighting.png",
                    "Lighting") {
  AddCaption("LabelColor", "LED colour", QRect(kLeft, 44, 200, 20));
  for (std::size_t i = 0; i < kLedSwatches.size(); ++i) {
    const LedSwatch& s = kLedSwatches[i];
    const int x = kLeft + int(i % 3) * (kSwatch + kSwatchGap);
    const int y = kTop + int(i / 3) * (kSwatch + kSwatchGap);
    auto* swatch = new UiTextButton(this, s.name, QRect(x, y, kSwatch, kSwatch));
    swatch->SetStyleName("swatch");
    swatch->setProperty("swatchColor", swatchColour(s));
    swatch->SetAccessibleText(s.caption);
    swatch->SetHint(s.caption);
    swatch->OnClick = [this, i](UiTextButton&) { RCC1Click(i); };
    FSwatches[i] = swatch;
  }

  const int boxLeft = kLeft + 3 * kSwatch + 2 * kSwatchGap + 40;
  const int boxWidth = kWidth - kLeft - boxLeft;
  AddCaption("LabelSelected", "Selected colour", QRect(boxLeft, 44, boxWidth, 20));
  UiRectangle* frame = AddPanel(this, "FrameColor", QRect(boxLeft, kTop, boxWidth, 154));
  frame->setAttribute(Qt::WA_TransparentForMouseEvents);
  RCCSELECTEDCOLOR = new UiRectangle(frame, "RCCSELECTEDCOLOR");
  RCCSELECTEDCOLOR->SetRadius(4);
  RCCSELECTEDCOLOR->SetPadding(QMargins(10, 10, 10, 10));
  RCCSELECTEDCOLOR->SetAlign(UiAlign::Client);
  LabelColorHex = new UiLabel(this, "LabelColorHex", QRect(boxLeft, kTop + 160, boxWidth, 22));
  LabelColorHex->setAlignment(Qt::AlignCenter);
  LabelColorHex->SetStyleName("value");
  LabelColorHex->SetAutoTranslate(false);

  const int groupsTop = kTop + 3 * kSwatch + 2 * kSwatchGap + 28;
  FBrightness = addLevelGroup("RBBR", "RBBRIGHT", "Brightness", groupsTop);
  FBreathing = addLevelGroup("RBSP", "RBSPEED", "Breathing", groupsTop + 80);
  // Unchecking the previous radio raises its event too; the checked one speaks for both.
  for (int level = 0; level < 4; ++level) {
    FBrightness[level]->OnChange = [this, level](UiRadioButton& r) {
      if (r.isChecked()) RBBRCLOSEChange(level);
    };
    FBreathing[level]->OnChange = [this, level](UiRadioButton& r) {
      if (r.isChecked()) RBSPCLOSEChange(level);
    };
  }
  DoShowChangedData();
}

std::array<UiRadioButton*, 4> TLightConfigForm::addLevelGroup(const QString& prefix,
                                                              const QString& group,
                                                              const QString& caption, int y) {
  UiRectangle* panel =
      AddPanel(this, "Panel" + group, QRect(kLeft, y, kWidth - 2 * kLeft, 64), caption);
  auto* title = new UiLabel(panel, "Label" + group, QRect(12, 6, 200, 20), caption);
  title->SetStyleName("caption");
  std::array<UiRadioButton*, 4> radios{};
  const int column = (panel->width() - 24) / 4;
  for (int level = 0; level < 4; ++level) {
    radios[level] =
        new UiRadioButton(panel, prefix + kLevelNames[level], group,
                          QRect(12 + level * column, 32, column - 8, 22), kLevelCaptions[level]);
  }
  return radios;
}

void TLightConfigForm::showColour(const TLEDCONFIG& led) {
  const QColor colour(led.R, led.G, led.B);
  RCCSELECTEDCOLOR->SetFill(colour);
  LabelColorHex->SetText(colour.name(QColor::HexRgb).toUpper());
  for (std::size_t i = 0; i < kLedSwatches.size(); ++i)
    markSelected(*FSwatches[i], swatchColour(kLedSwatches[i]).rgb() == colour.rgb());
}

void TLightConfigForm::showProfile(const TMOUSEPROFILEINFO& profile) {
  const TLEDCONFIG& led = profile.ConfigInfo.LEDConfig;
  // A stored level above 3 checks no radio: none of them says what the mouse gets.
  for (int level = 0; level < 4; ++level) {
    FBrightness[level]->SetChecked(level == led.BRIGHT_LEVEL);
    FBreathing[level]->SetChecked(level == led.BREATH_SPEED);
  }
  showColour(led);
}

void TLightConfigForm::editLED(const std::function<void(TLEDCONFIG&)>& change) {
  FDM.EditCurrentProfile([&](TMOUSEPROFILEINFO& p) { change(p.ConfigInfo.LEDConfig); });
  showColour(FDM.CurrentProfile().ConfigInfo.LEDConfig);
  FDM.NoticeMainFormToUpdateSomeChanged();
}

void TLightConfigForm::RCC1Click(std::size_t swatch) {
  const QColor colour = swatchColour(kLedSwatches[swatch]);
  editLED([&colour](TLEDCONFIG& led) {
    led.R = uint8_t(colour.red());
    led.G = uint8_t(colour.green());
    led.B = uint8_t(colour.blue());
  });
}

void TLightConfigForm::RBBRCLOSEChange(int level) {
  editLED([level](TLEDCONFIG& led) { led.BRIGHT_LEVEL = uint8_t(level); });
}

void TLightConfigForm::RBSPCLOSEChange(int level) {
  editLED([level](TLEDCONFIG& led) { led.BREATH_SPEED = uint8_t(level); });
}

}  // namespace qor
