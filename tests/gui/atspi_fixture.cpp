// SPDX-License-Identifier: GPL-2.0-or-later
// The function menu and the macro and key dialogs, shown together for the AT-SPI test
// (atspi_test.sh): it prints "CHOSEN <ID>" for a menu choice and ends when stdin closes.
#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>

#include "app/gui/frm_combo.h"
#include "app/gui/frm_creat.h"
#include "app/gui/frm_fire.h"
#include "app/gui/frm_message_dialog.h"
#include "widgets/function_menu.h"
#include "widgets/skin.h"

using namespace qor;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  skin::Apply(app);
  QWidget host;
  host.setWindowTitle("Host");
  host.setGeometry(20, 20, 200, 100);
  host.show();
  TFrmFire fire(nullptr);
  fire.FormShow();
  TFrmCreat creat(nullptr);
  TFrmCombo combo(nullptr);
  TFrmMessageDialog message(nullptr);
  message.SetTexts("Delete", "Delete the macro?", "");
  TDlgLeaveMacroWithErrorsForm leave(nullptr);
  int y = 20;
  for (QWidget* w : std::initializer_list<QWidget*>{&fire, &creat, &combo, &message, &leave}) {
    w->move(300, y);
    w->show();
    y += w->height() + 10;
  }
  UiMenuEx menu(&host);
  for (const char* caption : {"Left Click", "Right Click", "Basic"})
    menu.Items().Add()->Caption = caption;
  menu.Items().Items(1).Checked = true;
  menu.Items().Items(2).SubItems().Add()->Caption = "Copy";
  menu.Menu().OnItemsClick = [](TuiMenuItemEx&, const std::string&, uint32_t id, void*, int) {
    std::printf("CHOSEN %u\n", id);
    std::fflush(stdout);
  };
  menu.ShowMainMenu(&host, MenuPlacement::RightCenter);
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
    char buffer[64];
    if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) app.quit();
  });
  std::printf("READY\n");
  std::fflush(stdout);
  return app.exec();
}
