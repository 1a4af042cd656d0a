// SPDX-License-Identifier: GPL-2.0-or-later
// TButtonConfigForm: the button assignment window. Each of buttons 1 to 5 opens the function
// menu, whose choice is written into the current profile at once; "Macro Manager" opens the
// macro editor on the profile's macros.
#pragma once

#include <array>
#include <memory>

#include "app/gui/settings_form.h"

namespace qor {

class UiMenuEx;
class UiTextButton;

class TButtonConfigForm : public TSettingsForm {
 public:
  static constexpr int kWidth = 233, kHeight = 286;
  static constexpr int kButtons = 5;
  TButtonConfigForm(QWidget* owner, TDM& dm, SettingsServices services);
  ~TButtonConfigForm() override;

  // Opens button `tag`'s menu (the click of BtnSet1..BtnSet5).
  void BtnSet1Click(int tag);
  // Applies menu item `AMenuItemID` to the button whose menu was opened last.
  void uiMenuEx1ItemsClick(uint32_t AMenuItemID);
  void BSBTNCLOSEClick();
  bool Modified() const { return FModified; }

  std::array<UiTextButton*, kButtons> BtnSet{};
  std::unique_ptr<UiMenuEx> uiMenuEx1;

 private:
  void buildMenu();
  // The "Macro" sub-menu: "Macro Manager", then one item per macro of the profile.
  void rebuildMacroMenu();
  void refreshCaptions();
  void uiCommandSetting1Commands0Execute();  // "SetButton"
  void macroManager();
  void tellTooManyMacros();
  // The top level's width as it will open: the widest translated caption, at least 169.
  int topLevelWidth() const;
  // Widens the sub-menus of fixed width whose translated captions need more room.
  void fitSubMenus();

  int FSelectedButton = 0;
  bool FModified = false;
};

}  // namespace qor
