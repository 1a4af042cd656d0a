#include "app/gui/button_config_form.h"

#include "settings/button_assignment.h"
#include "ui/translation.h"
#include "widgets/label.h"
#include "widgets/qt_text.h"

namespace qor {

TButtonConfigForm::TButtonConfigForm(QWidget* owner, TDM& dm, SettingsServices services)
    : TSettingsForm(owner, dm, services, "TButtonConfigForm", kWidth, kHeight, "bg_buttons.png",
                    "Button Assignment") {
  for (int i = 0; i < kButtons; ++i) {
    const QString n = QString::number(i + 1);
    BtnSet[i] = AddValueRow("BtnSet" + n, "Button " + n, 14, 52 + i * 44, kWidth - 28);
    BtnSet[i]->SetTag(i);
  }
  DoShowChangedData();
}

void TButtonConfigForm::DoShowChangedData() {
  const Translator translate = [](const std::string& s) { return Translate(std::string_view(s)); };
  for (int i = 0; i < kButtons; ++i)
    BtnSet[i]->SetText(FromUtf8(ButtonCaption(FDM.FCurrentProfileInfo, i, translate)));
}

}  // namespace qor
