// TButtonConfigForm: the button assignment window; shows what buttons 1 to 5 do.
#pragma once

#include <array>

#include "app/gui/settings_form.h"

namespace qor {

class TButtonConfigForm : public TSettingsForm {
 public:
  static constexpr int kWidth = 233, kHeight = 286;
  static constexpr int kButtons = 5;
  TButtonConfigForm(QWidget* owner, TDM& dm, SettingsServices services);
  void DoShowChangedData() override;

 private:
  std::array<UiLabel*, kButtons> BtnSet{};
};

}  // namespace qor
