// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51: the configuration window of the gaming mouse.
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/gui/dialog_presenter.h"
#include "app/gui/hook_choice.h"
#include "app/gui/main_window.h"
#include "app/gui/window_bus_name.h"
#include "app/thread_call.h"
#include "macro/hook_library.h"
#include "model/data_module.h"
#include "platform/atomic_file.h"
#include "platform/command_line.h"
#include "platform/linux/dbus_monitor_link.h"
#include "platform/linux/desktop_pointer_settings.h"
#include "platform/linux/linux_device_watcher.h"
#include "platform/linux/sqlite_registry.h"
#include "platform/linux/system_hid_backend.h"
#include "platform/linux/window_instance.h"
#include "platform/linux/xkb_key_labels.h"
#include "platform/paths.h"
#include "sim/sim_protocol.h"
#include "ui/language.h"
#include "ui/locale_table.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"

using namespace qor;

namespace {

void printUsage(std::ostream& out) {
  out << "Usage: qorcfg51 [--help] [--version]\n\n"
         "Opens the gaming mouse's configuration window: the buttons, CPI levels, report\n"
         "rate, LED and pointer settings of five profiles. Apply saves everything and uploads\n"
         "the current profile into the mouse. Only one window runs per user; starting it\n"
         "again brings the running one forward (it owns io.github.qorcfg51 on the session\n"
         "bus).\n\n"
         "Qt's own options (-platform, -display, ...) are accepted as well.\n\n"
         "Environment: XDG_CONFIG_HOME (settings database), XDG_DOCUMENTS_DIR (profile files),\n"
         "QORCFG51_PROGRAM_DIR (folder holding config.ini and images/), QORCFG51_SIM_DIR\n"
         "(sockets of running qorcfg51-sim virtual mice), QT_QPA_PLATFORM (window system),\n"
         "QORCFG51_HOOK_SCRIPT (a hook script played as the keyboard instead of the real\n"
         "keyboards while a macro is recorded or a key combination captured, for tests and\n"
         "demos; the format is described in qorcfg51-ctl(1), HOOK SCRIPTS).\n\n"
         "Recording reads /dev/input/event* and writes /dev/uinput (see the README); without\n"
         "them the key combination dialog takes the keys typed into its own window.\n";
}

void chooseWindowSystem() {
  // The windows place themselves beside each other and are dragged by their background;
  // Wayland lets no client place its windows, so under a Wayland session that also offers
  // XWayland the program runs as an X11 client. An explicit QT_QPA_PLATFORM wins.
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* x11 = std::getenv("DISPLAY");
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  if (wayland && *wayland && x11 && *x11 && !(chosen && *chosen))
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
}

int gSignalPipe[2] = {-1, -1};

// SIGINT, SIGTERM and SIGHUP end every event loop, modal ones included, so that each window
// lets go of the keyboards it holds before the program ends.
void quitOnSignals(QApplication& app) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(gSignalPipe[1], QSocketNotifier::Read, &app);
  QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
    char signal = 0;
    if (::read(gSignalPipe[1], &signal, 1) == 1) QCoreApplication::exit(128 + signal);
  });
  struct sigaction action {};
  action.sa_handler = [](int signal) {
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[0], &byte, 1);
  };
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  ReportOversizedWrites();
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      printUsage(std::cout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << VersionLine("qorcfg51") << "\n";
      return 0;
    }
  }

  // A second start brings the running window forward and ends.
  WindowStart start = StartWindowInstance();
  switch (start.outcome) {
    case WindowStart::Outcome::Run:
      break;
    case WindowStart::Outcome::Activated:
      return 0;
    case WindowStart::Outcome::HeldAlready:
      std::cerr << "qorcfg51: " << start.message << "\n";
      return 0;
    case WindowStart::Outcome::Failed:
      std::cerr << "qorcfg51: " << start.message << "\n";
      return 1;
  }

  chooseWindowSystem();
  QApplication app(argc, argv);
  QApplication::setApplicationName("qorcfg51");
  // Desktops match the window to its menu entry (icon, name) by this.
  QGuiApplication::setDesktopFileName("io.github.qorcfg51");
  const std::filesystem::path program = paths::program();
  for (const auto& m : paths::missingProgramFiles(program)) std::cerr << "qorcfg51: " << m << '\n';
  const std::filesystem::path icon = paths::resolveInFolder(program, "Images\\logo.ico");
  if (std::filesystem::exists(icon)) QApplication::setWindowIcon(skin::WindowIcon(icon));
  skin::Apply(app);
  // Keys are named as the user's keyboard layout prints them.
  UseSessionKeyLabels(paths::configHome().string());
  quitOnSignals(app);
  SetHookProviderFactory(HookProviderFromEnvironment());

  // Problems met while the profiles load are shown once the window is up; later ones at once.
  std::vector<StoreProblem> early;
  bool windowUp = false;
  auto registry = SqliteRegistry::forThisUser();
  DataModuleEnvironment env{*registry, paths::documents(), program};
  // A first start speaks the user's language.
  env.firstStartLanguage = FirstStartLanguage(program, SystemLocaleName());
  TDM dm(env, [&](const StoreProblem& p) {
    std::cerr << "qorcfg51: " << (p.kind == StoreProblem::Kind::Error ? "error: " : "warning: ")
              << p.message << "\n";
    if (!windowUp) {
      early.push_back(p);
      return;
    }
    ShowDialog(TranslateText(p.kind == StoreProblem::Kind::Error ? "Error" : "Warning"),
               FromUtf8(p.message), 0, DialogPosition::MainFormCenter, nullptr);
  });

  auto backend = MakeSystemHidBackend();
  DbusMonitorLink monitor(MonitorProgramBesideExecutable());
  int status = 0;
  {
    TQorCfg51Main window({dm,
                          *backend,
                          MakeLinuxDeviceWatcher(sim::SimulatorDirectory()),
                          MakeDesktopPointerSettings(),
                          monitor,
                          program,
                          {}});
    window.show();
    WindowBusName busName(window);
    if (!busName.Registered())
      std::cerr << "qorcfg51: no second start can reach this window: "
                << busName.Problem().toStdString() << "\n";
    windowUp = true;
    QTimer::singleShot(0, &window, [&] {
      for (const StoreProblem& p : early)
        ShowDialog(TranslateText(p.kind == StoreProblem::Kind::Error ? "Error" : "Warning"),
                   FromUtf8(p.message), 0, DialogPosition::MainFormCenter, nullptr);
      early.clear();
    });
    status = app.exec();
    windowUp = false;
  }
  // The pointer settings of a last Apply reach the desktop before the program ends.
  TuiThread::WaitForWorkers(std::chrono::seconds(3));
  return status;
}
