// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/gui/window_gallery.h"

#include <QApplication>
#include <map>
#include <utility>

#include "app/apply_sequence.h"
#include "app/gui/button_config_form.h"
#include "app/gui/frm_combo.h"
#include "app/gui/frm_creat.h"
#include "app/gui/frm_dialog.h"
#include "app/gui/frm_fire.h"
#include "app/gui/frm_macro.h"
#include "app/gui/frm_message_dialog.h"
#include "app/gui/main_window.h"
#include "app/gui/settings_form.h"
#include "device/mouse_access.h"
#include "macro/macro_model.h"
#include "model/data_module.h"
#include "platform/paths.h"
#include "widgets/edit_boxes.h"
#include "widgets/function_menu.h"
#include "widgets/list_box.h"
#include "widgets/menu_box.h"
#include "widgets/qt_text.h"

namespace qor {
namespace {

bool visitShown(QWidget& window, const QString& picture, const GalleryVisit& visit) {
  window.show();
  QApplication::processEvents();
  return visit(window, picture);
}

bool showSettingsWindow(SettingsWindow which, TQorCfg51Main& main, const QString& picture,
                        const GalleryVisit& visit) {
  TSettingsForm* form = main.SettingsForm(which);
  if (!form || !form->Showing()) {
    switch (which) {
      case SettingsWindow::ButtonAssignment:
        main.BSBTNBUTTONCONFIGClick();
        break;
      case SettingsWindow::Sensitivity:
        main.BSBTNSENSITIVITYCONFIGClick();
        break;
      case SettingsWindow::AdvancedSettings:
        main.BSBTNADVANCEDSETTINGClick();
        break;
      case SettingsWindow::Lighting:
        main.BSBTNLIGHTClick();
        break;
    }
    form = main.SettingsForm(which);
  }
  return form && visitShown(*form, picture, visit);
}

// The longest message the window shows: a mouse this user may not open.
bool showAccessDialog(TQorCfg51Main& main, const GalleryVisit& visit) {
  InterfaceSurvey mouse;
  mouse.info.path = "/dev/hidraw4";
  mouse.info.name = "Gaming Mouse";
  mouse.configuration = true;
  mouse.error = EACCES;
  mouse.vendor = 0x1209;
  mouse.product = 0x0001;
  TFrmDialog dialog(&main);
  dialog.SetTexts(TranslateText("Warning"),
                  FromUtf8(MouseAccessAdvice({mouse}, (paths::program() / "config.ini").string())));
  return visitShown(dialog, "access-dialog", visit);
}

bool showFunctionMenu(TQorCfg51Main& main, const GalleryVisit& visit) {
  UiMenuEx menu(&main);
  for (const char* caption :
       {"Left Click", "Right Click", "Middle Button", "Combo Key", "Basic", "Media", "Disable"})
    menu.Items().Add()->Caption = caption;
  for (const char* caption : {"Cut", "Copy", "Paste"})
    menu.Items().Items(4).SubItems().Add()->Caption = caption;
  menu.Items().Items(1).Checked = true;
  main.show();
  menu.ShowMainMenu(3, &main, MenuPlacement::RightCenter);
  TuiMenuBox* box = menu.OpenBox(menu.Items());
  const bool ok = box && visitShown(*box, "function-menu", visit);
  menu.CloseMenu();
  return ok;
}

// A few macros, one with errors, the first with key, mouse and wheel actions and its pauses.
bool showMacroManager(TQorCfg51Main& main, const GalleryVisit& visit) {
  TFrmMacro form(&main);
  TMACROKEYINFOLIST list{};
  const std::u16string names[] = {u"Reload", u"Sprint jump", u"Build wall"};
  for (const std::u16string& name : names)
    SetMacroName(list.MacroInfos[list.nMacroInfoCount++], name);
  TMACROKEYINFO& m = list.MacroInfos[0];
  const TMACROKEY actions[] = {{4, 1, 'R', 0},  {6, 0, 120, 0}, {4, 0, 'R', 0},  {6, 0, 80, 0},
                               {4, 1, 0x25, 1}, {6, 0, 30, 0},  {4, 0, 0x25, 1}, {1, 1, 1, 0},
                               {6, 0, 0x2C, 1}, {1, 0, 1, 0}};
  for (const TMACROKEY& a : actions) m.MacroList[m.MacroListCount++] = a;
  m.nAutoAddDelay = 1;
  m.nLoopCount = 3;
  list.MacroInfos[2].HaveErrors = 1;
  form.FMacroClass->SetMacroKeyInfoList(list);
  form.DrawMacroList();
  form.ListBoxMacroKey->SetItemIndex(1);
  return visitShown(form, "macro-manager", visit);
}

bool showButtonMenu(TQorCfg51Main& main, TDM& dm, const GalleryVisit& visit) {
  main.show();
  if (!main.SettingsForm(SettingsWindow::ButtonAssignment) ||
      !main.SettingsForm(SettingsWindow::ButtonAssignment)->Showing())
    main.BSBTNBUTTONCONFIGClick();
  auto* form = static_cast<TButtonConfigForm*>(main.SettingsForm(SettingsWindow::ButtonAssignment));
  if (!form) return false;
  // A few macros, so that the Macro level shows its rows (the profiles are throw-away).
  TMACROKEYINFOLIST& macros = dm.FCurrentProfileInfo.MacroKeyInfoList;
  macros.nMacroInfoCount = 0;
  for (const char16_t* name : {u"Reload", u"Sprint jump", u"Build wall"})
    SetMacroName(macros.MacroInfos[macros.nMacroInfoCount++], name);
  form->DoShowChangedData();
  form->BtnSet1Click(2);
  UiMenuEx& menu = *form->uiMenuEx1;
  bool ok = visitShown(*menu.OpenBox(menu.Items()), "button-menu", visit);
  // Each sub-menu beside its row: Basic, Advanced, Media, Macro.
  for (const auto& [row, picture] : {std::pair{6, "button-menu-basic"},
                                     {7, "button-menu-advanced"},
                                     {8, "button-menu-media"},
                                     {9, "button-menu-macro"}}) {
    if (!ok) break;
    menu.ClickRow(*menu.OpenBox(menu.Items())->Row(row));
    TuiMenuBox* box = menu.OpenBox(menu.Items().Items(row).SubItems());
    ok = box && visitShown(*box, picture, visit);
  }
  menu.CloseMenu();
  return ok;
}

}  // namespace

const std::vector<std::string>& GalleryWindowNames() {
  static const std::vector<std::string> names = {
      "main",          "buttons",       "sensitivity", "advanced",       "lighting",    "dialog",
      "exit-question", "access-dialog", "new-macro",   "macro-question", "leave-macro", "combo",
      "fire",          "menu",          "macro",       "button-menu"};
  return names;
}

bool ShowGalleryWindow(const std::string& name, TQorCfg51Main& main, TDM& dm,
                       const GalleryVisit& visit) {
  const std::map<std::string, std::pair<SettingsWindow, const char*>> forms = {
      {"buttons", {SettingsWindow::ButtonAssignment, "button-assignment-window"}},
      {"sensitivity", {SettingsWindow::Sensitivity, "sensitivity-window"}},
      {"advanced", {SettingsWindow::AdvancedSettings, "advanced-settings-window"}},
      {"lighting", {SettingsWindow::Lighting, "lighting-window"}},
  };
  if (name == "main") return visitShown(main, "main-window", visit);
  if (auto f = forms.find(name); f != forms.end())
    return showSettingsWindow(f->second.first, main, f->second.second, visit);
  if (name == "access-dialog") return showAccessDialog(main, visit);
  if (name == "dialog" || name == "exit-question") {
    TFrmDialog dialog(&main);
    if (name == "dialog")
      dialog.SetTexts(TranslateText(kNoMouseTitle), TranslateText(kNoMouseText));
    else
      dialog.SetTexts(TranslateText(kExitQuestionTitle), TranslateText(kExitQuestionText));
    return visitShown(dialog, name == "dialog" ? "message-dialog" : "exit-question", visit);
  }
  if (name == "new-macro") {
    TFrmCreat dialog(&main);
    dialog.TextboxMacroName->setText("Reload");
    return visitShown(dialog, "new-macro-dialog", visit);
  }
  if (name == "macro-question") {
    TFrmMessageDialog dialog(&main);
    dialog.SetTexts(TranslateText("Warning"), TranslateText(kExitQuestionText), "Macro 1");
    return visitShown(dialog, "macro-question-dialog", visit);
  }
  if (name == "leave-macro") {
    TDlgLeaveMacroWithErrorsForm dialog(&main);
    return visitShown(dialog, "leave-macro-dialog", visit);
  }
  if (name == "combo") {
    TFrmCombo dialog(&main);
    dialog.SetComboKey({65, 0, 66, 0, 2 | 4});
    return visitShown(dialog, "combo-key-dialog", visit);
  }
  if (name == "fire") {
    TFrmFire dialog(&main);
    dialog.FFireKeyInfo = {5, 100};
    dialog.FormShow();
    return visitShown(dialog, "fire-key-dialog", visit);
  }
  if (name == "menu") return showFunctionMenu(main, visit);
  if (name == "macro") return showMacroManager(main, visit);
  if (name == "button-menu") return showButtonMenu(main, dm, visit);
  return false;
}

}  // namespace qor
