// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-render: draws the program's windows into PNG files, for looking at them without a
// screen (offscreen platform) and at other device pixel ratios.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

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
#include "platform/command_line.h"
#include "platform/linux/desktop_pointer_settings.h"
#include "platform/linux/sqlite_registry.h"
#include "platform/linux/system_hid_backend.h"
#include "platform/paths.h"
#include "widgets/edit_boxes.h"
#include "widgets/function_menu.h"
#include "widgets/list_box.h"
#include "widgets/menu_box.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"

using namespace qor;

namespace {

void printUsage(std::ostream& out) {
  out << "Usage: qorcfg51-render --out DIR [--suffix TEXT] WINDOW...\n"
         "       qorcfg51-render --screenshot FILE\n"
         "       qorcfg51-render --version\n\n"
         "Draws windows of qorcfg51 into DIR, one PNG each, named after the window (TEXT is\n"
         "added to the main window's file name). WINDOW is one of: main, buttons,\n"
         "sensitivity, advanced, lighting, dialog, exit-question, new-macro, macro-question,\n"
         "leave-macro, combo, fire, menu, macro, button-menu, or all.\n"
         "Nothing is sent to a mouse and the desktop's pointer settings are left alone; the\n"
         "profiles are those of XDG_CONFIG_HOME and XDG_DOCUMENTS_DIR.\n\n"
         "--screenshot saves the whole screen of the display (DISPLAY) into FILE instead.\n";
}

// The renderer runs no Apply and tells no monitor.
class NoMonitor final : public MonitorLink {
 public:
  void Start() override {}
  void Notify(uint32_t, uint32_t) override {}
};

bool save(QWidget& window, const QString& dir, const QString& name) {
  const QString file = QDir(dir).filePath(name + ".png");
  window.show();
  QApplication::processEvents();
  if (!window.grab().save(file)) {
    std::cerr << "qorcfg51-render: cannot write " << file.toStdString() << "\n";
    return false;
  }
  std::cout << file.toStdString() << "\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QString out, suffix, screenshot;
  std::vector<std::string> windows;
  const std::vector<std::string> args = SplitOptionValues(argc, argv);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool valued = i + 1 < args.size();
    if (a == "--help" || a == "-h") {
      printUsage(std::cout);
      return 0;
    } else if (a == "--version") {
      std::cout << VersionLine("qorcfg51-render") << "\n";
      return 0;
    } else if (a == "--out" && valued) {
      out = QString::fromStdString(args[++i]);
    } else if (a == "--screenshot" && valued) {
      screenshot = QString::fromStdString(args[++i]);
    } else if (a == "--suffix" && valued) {
      suffix = QString::fromStdString(args[++i]);
    } else if (a.rfind("-", 0) != 0) {
      windows.push_back(a);
    }
  }
  if (!screenshot.isEmpty()) {
    QApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(screenshot)) {
      std::cerr << "qorcfg51-render: cannot take a screenshot into " << screenshot.toStdString()
                << " (is DISPLAY set?)\n";
      return 1;
    }
    std::cout << screenshot.toStdString() << "\n";
    return 0;
  }
  if (out.isEmpty() || windows.empty()) {
    printUsage(std::cerr);
    return 2;
  }
  if (windows.size() == 1 && windows[0] == "all")
    windows = {"main",      "buttons",        "sensitivity",   "advanced",
               "lighting",  "dialog",         "exit-question", "access-dialog",
               "new-macro", "macro-question", "leave-macro",   "combo",
               "fire",      "menu",           "macro",         "button-menu"};

  QApplication app(argc, argv);
  skin::Apply(app);
  QDir().mkpath(out);
  auto registry = SqliteRegistry::forThisUser();
  TDM dm({*registry, paths::documents(), paths::program()},
         [](const StoreProblem& p) { std::cerr << "qorcfg51-render: " << p.message << "\n"; });
  auto backend = MakeSystemHidBackend();
  NoMonitor monitor;
  TQorCfg51Main main({dm, *backend, nullptr, MakeDesktopPointerSettings(), monitor,
                      paths::program(), [] { return QRect(0, 0, 1600, 900); }});
  const std::map<std::string, std::pair<SettingsWindow, const char*>> forms = {
      {"buttons", {SettingsWindow::ButtonAssignment, "button-assignment-window"}},
      {"sensitivity", {SettingsWindow::Sensitivity, "sensitivity-window"}},
      {"advanced", {SettingsWindow::AdvancedSettings, "advanced-settings-window"}},
      {"lighting", {SettingsWindow::Lighting, "lighting-window"}},
  };
  bool ok = true;
  for (const std::string& w : windows) {
    if (w == "main") {
      ok = save(main, out, "main-window" + suffix) && ok;
    } else if (auto f = forms.find(w); f != forms.end()) {
      TSettingsForm* form = main.SettingsForm(f->second.first);
      if (!form || !form->Showing()) {
        switch (f->second.first) {
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
      }
      ok = save(*main.SettingsForm(f->second.first), out, f->second.second) && ok;
    } else if (w == "access-dialog") {
      // The longest message the window shows: a mouse this user may not open.
      InterfaceSurvey mouse;
      mouse.info.path = "/dev/hidraw4";
      mouse.info.name = "Gaming Mouse";
      mouse.configuration = true;
      mouse.error = EACCES;
      mouse.vendor = 0x1209;
      mouse.product = 0x0001;
      TFrmDialog dialog(&main);
      dialog.SetTexts(
          TranslateText("Warning"),
          FromUtf8(MouseAccessAdvice({mouse}, (paths::program() / "config.ini").string())));
      ok = save(dialog, out, "access-dialog") && ok;
    } else if (w == "dialog" || w == "exit-question") {
      TFrmDialog dialog(&main);
      if (w == "dialog")
        dialog.SetTexts(TranslateText(kNoMouseTitle), TranslateText(kNoMouseText));
      else
        dialog.SetTexts(TranslateText(kExitQuestionTitle), TranslateText(kExitQuestionText));
      ok = save(dialog, out, w == "dialog" ? "message-dialog" : "exit-question") && ok;
    } else if (w == "new-macro") {
      TFrmCreat dialog(&main);
      dialog.TextboxMacroName->setText("Reload");
      ok = save(dialog, out, "new-macro-dialog") && ok;
    } else if (w == "macro-question") {
      TFrmMessageDialog dialog(&main);
      dialog.SetTexts(TranslateText("Warning"), TranslateText(kExitQuestionText), "Macro 1");
      ok = save(dialog, out, "macro-question-dialog") && ok;
    } else if (w == "leave-macro") {
      TDlgLeaveMacroWithErrorsForm dialog(&main);
      ok = save(dialog, out, "leave-macro-dialog") && ok;
    } else if (w == "combo") {
      TFrmCombo dialog(&main);
      dialog.SetComboKey({65, 0, 66, 0, 2 | 4});
      ok = save(dialog, out, "combo-key-dialog") && ok;
    } else if (w == "fire") {
      TFrmFire dialog(&main);
      dialog.FFireKeyInfo = {5, 100};
      dialog.FormShow();
      ok = save(dialog, out, "fire-key-dialog") && ok;
    } else if (w == "menu") {
      UiMenuEx menu(&main);
      for (const char* caption :
           {"Left Click", "Right Click", "Middle Button", "Combo Key", "Basic", "Media", "Disable"})
        menu.Items().Add()->Caption = caption;
      for (const char* caption : {"Cut", "Copy", "Paste"})
        menu.Items().Items(4).SubItems().Add()->Caption = caption;
      menu.Items().Items(1).Checked = true;
      main.show();
      menu.ShowMainMenu(3, &main, MenuPlacement::RightCenter);
      ok = save(*menu.OpenBox(menu.Items()), out, "function-menu") && ok;
      menu.CloseMenu();
    } else if (w == "macro") {
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
      ok = save(form, out, "macro-manager") && ok;
    } else if (w == "button-menu") {
      main.show();
      if (!main.SettingsForm(SettingsWindow::ButtonAssignment) ||
          !main.SettingsForm(SettingsWindow::ButtonAssignment)->Showing())
        main.BSBTNBUTTONCONFIGClick();
      auto* form =
          static_cast<TButtonConfigForm*>(main.SettingsForm(SettingsWindow::ButtonAssignment));
      // A few macros, so that the Macro level shows its rows (the profiles are throw-away).
      TMACROKEYINFOLIST& macros = dm.FCurrentProfileInfo.MacroKeyInfoList;
      macros.nMacroInfoCount = 0;
      for (const char16_t* name : {u"Reload", u"Sprint jump", u"Build wall"})
        SetMacroName(macros.MacroInfos[macros.nMacroInfoCount++], name);
      form->DoShowChangedData();
      form->BtnSet1Click(2);
      UiMenuEx& menu = *form->uiMenuEx1;
      ok = save(*menu.OpenBox(menu.Items()), out, "button-menu") && ok;
      // Each sub-menu beside its row: Basic, Advanced, Media, Macro.
      for (const auto& [row, name] : {std::pair{6, "button-menu-basic"},
                                      {7, "button-menu-advanced"},
                                      {8, "button-menu-media"},
                                      {9, "button-menu-macro"}}) {
        menu.ClickRow(*menu.OpenBox(menu.Items())->Row(row));
        if (TuiMenuBox* box = menu.OpenBox(menu.Items().Items(row).SubItems()))
          ok = save(*box, out, name) && ok;
        else
          ok = false;
      }
      menu.CloseMenu();
    } else {
      std::cerr << "qorcfg51-render: unknown window \"" << w << "\"\n";
      ok = false;
    }
  }
  return ok ? 0 : 1;
}
