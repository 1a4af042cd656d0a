// SPDX-License-Identifier: GPL-2.0-or-later
// corvnmon: the companion monitor. It owns its session-bus name (one monitor per session),
// shows the current profile in the tray and tells the desktop when settings reach the mouse.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "app/pointer_restore.h"
#include "app/profile_switch.h"
#include "model/include_list.h"
#include "monitor/desktop_notifier.h"
#include "monitor/focus_follow.h"
#include "monitor/focus_way.h"
#include "monitor/kwin_focus_script.h"
#include "monitor/monitor_service.h"
#include "monitor/monitor_tray.h"
#include "monitor/mouse_actions.h"
#include "monitor/mouse_bus_object.h"
#include "monitor/mouse_plug_watch.h"
#include "monitor/mouse_queue.h"
#include "monitor/stored_language.h"
#include "platform/atomic_file.h"
#include "platform/command_line.h"
#include "platform/linux/desktop_pointer_settings.h"
#include "platform/linux/linux_device_watcher.h"
#include "platform/linux/sqlite_registry.h"
#include "platform/linux/system_hid_backend.h"
#include "platform/linux/x11_focus_source.h"
#include "platform/monitor_link.h"
#include "platform/paths.h"
#include "sim/sim_protocol.h"
#include "ui/language.h"
#include "ui/locale_table.h"

using namespace qor;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void printUsage(std::ostream& out) {
  out << "Usage: corvnmon [--help] [--version]\n\n"
         "The companion monitor of the gaming mouse configurator: qorcfg51 starts it and tells\n"
         "it when settings were applied to the mouse and when another profile became current.\n"
         "It shows the current profile in the tray (when the desktop has one; Exit in its menu\n"
         "ends the monitor) and a desktop notification for each change. One monitor runs per\n"
         "session: a second one ends at once.\n\n"
         "It owns the session-bus name "
      << kMonitorBusName
      << " and answers\n"
         "Notify(u, u) there: (0, 0) settings applied, (1, N-1) profile N is current,\n"
         "(2, 0) an application was bound or unbound.\n\n"
         "Other programs find the mouse at "
      << kMouseObjectPath << " (interface " << kMouseInterface
      << "):\n"
         "properties Present, Model, CurrentProfile, ProfileCount and Bindings, announced with\n"
         "PropertiesChanged; methods SwitchProfile(u), Apply() and ExportProfile(u, s). For "
         "example:\n"
         "  busctl --user call "
      << kMonitorBusName << " " << kMouseObjectPath << " " << kMouseInterface
      << " SwitchProfile u 3\n"
         "  gdbus monitor --session --dest "
      << kMonitorBusName << " --object-path " << kMouseObjectPath
      << "\n\n"
         "At start and whenever the mouse is plugged in it hands the current profile's pointer\n"
         "speed, acceleration, wheel lines and double-click time to the desktop again (it\n"
         "reads the stored profiles and never changes them).\n\n"
         "Applications bound to profiles (qorcfg51-ctl bind) make their profile current, and\n"
         "upload it, while they have the focus (X11; KDE Plasma on Wayland through a KWin\n"
         "script; X11 applications on GNOME under Wayland through XWayland); not while the\n"
         "qorcfg51 window is open, which keeps its own profile.\n\n"
         "Exit status: 0 ended or already running, 1 no session bus or no display, 2 usage.\n"
         "Environment: DBUS_SESSION_BUS_ADDRESS; DISPLAY or WAYLAND_DISPLAY;\n"
         "XDG_SESSION_TYPE and XDG_CURRENT_DESKTOP (where the focus is learnt);\n"
         "QORCFG51_PROGRAM_DIR (folder holding ui.local and images/); XDG_CONFIG_HOME (the\n"
         "configurator's settings, read for its language and pointer settings).\n";
}

bool hasValue(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// Where the focused window is learnt: X11 tells every client, KWin runs our script on Plasma
// under Wayland, XWayland tells GNOME's X11 windows; other Wayland desktops tell no program.
void followFocus(FocusFollow& follow, std::unique_ptr<KWinFocusScript>& kwin, QDBusConnection bus) {
  const FocusWay way = ChooseFocusWay(ThisSession());
  if (way == FocusWay::KWinScript) {
    kwin = std::make_unique<KWinFocusScript>(bus, follow);
    QString error;
    // The settings folder is the user's own; a fixed name in a shared /tmp would not be.
    const std::filesystem::path folder = paths::configHome() / "qorcfg51";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    if (!kwin->Start(folder, error)) {
      std::cerr << "corvnmon: profiles do not follow the application: " << error.toStdString()
                << "\n";
      kwin.reset();
    }
    return;
  }
  if (way == FocusWay::None) {
    std::cerr << "corvnmon: profiles do not follow the application: this Wayland desktop tells "
                 "no other program which window has the focus\n";
    return;
  }
  std::string problem;
  if (auto x11 = MakeX11FocusSource("", problem)) {
    if (way == FocusWay::XWayland)
      std::cerr << "corvnmon: GNOME on Wayland: profiles follow X11 applications (XWayland) "
                   "only; a Wayland window counts as an unbound application\n";
    follow.Follow(std::move(x11));
  } else {
    std::cerr << "corvnmon: profiles do not follow the application: " << problem << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  ReportOversizedWrites();
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      printUsage(std::cout);
      return kExitOk;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << VersionLine("corvnmon") << "\n";
      return kExitOk;
    }
  }
  // Qt would abort with its own message; say what is missing instead.
  if (!hasValue("QT_QPA_PLATFORM") && !hasValue("DISPLAY") && !hasValue("WAYLAND_DISPLAY")) {
    std::cerr << "corvnmon: no desktop display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                 "start it inside a desktop session\n";
    return kExitFailed;
  }

  QApplication app(argc, argv);  // takes Qt's own options (-platform, ...) out of argv
  const QStringList rest = app.arguments().mid(1);
  if (!rest.isEmpty()) {
    std::cerr << "corvnmon: unknown argument \"" << rest.first().toStdString()
              << "\"; see corvnmon --help\n";
    return kExitUsage;
  }

  QDBusConnection bus = QDBusConnection::sessionBus();
  TQor51MonMain monitor(bus);
  QString error;
  switch (monitor.Claim(error)) {
    case TQor51MonMain::ClaimResult::AlreadyRunning:
      return kExitOk;
    case TQor51MonMain::ClaimResult::Failed:
      std::cerr << "corvnmon: cannot use the D-Bus session bus: " << error.toStdString()
                << "\nStart it inside a desktop session (DBUS_SESSION_BUS_ADDRESS names the "
                   "session bus).\n";
      return kExitFailed;
    case TQor51MonMain::ClaimResult::Owned:
      break;
  }

  // The configurator's language: the same ui.local and the stored language index.
  const std::filesystem::path program = paths::program();
  for (const auto& m : paths::missingProgramFiles(program)) std::cerr << "corvnmon: " << m << '\n';
  TuiLanguage language({TranslationService(), program, SystemLocaleName()});
  if (language.LastError())
    std::cerr << "corvnmon: warning: " << *language.LastError() << "; texts are shown in English\n";
  const auto registry = SqliteRegistry::forThisUser();
  language.ChooseStartupLanguage(StoredLanguageIndex(*registry));

  app.setQuitOnLastWindowClosed(false);  // the tray menu's Exit ends the monitor
  DesktopNotifier notifier(bus);
  MonitorTray tray(MonitorIcon(program), monitor.ToolTip());
  QObject::connect(&monitor, &TQor51MonMain::NotificationDue, &notifier, &DesktopNotifier::Show);
  QObject::connect(&monitor, &TQor51MonMain::ToolTipChanged, &tray, &MonitorTray::SetToolTip);

  // The pointer settings the user applied last, again at start and on every plug-in: X11
  // forgets them at logout and replug.
  AppliedPointerRestore restore(*registry, MakeDesktopPointerSettings());
  const auto restored = [&](bool done) {
    if (!done && !restore.Problem().empty())
      std::cerr << "corvnmon: pointer settings not restored: " << restore.Problem() << "\n";
  };
  const auto backend = MakeSystemHidBackend();
  TuiHIDData device(*backend, ReadIncludeList(program));
  MousePlugWatch plugs(MakeLinuxDeviceWatcher(sim::SimulatorDirectory()), device,
                       [&] { return ReadIncludeList(program); });
  const bool present = plugs.Present();
  QObject::connect(&plugs, &MousePlugWatch::PresenceChecked,
                   [&](bool now) { restored(restore.MousePresence(now)); });
  if (present)
    restored(restore.MousePresence(true));
  else
    restored(restore.Restore());

  // Uploads and reads of the mouse run one at a time on the queue's thread, with a backend of
  // their own: the plug watch's stays on this thread.
  const auto queueBackend = MakeSystemHidBackend();
  MouseActions actions(
      {[](bool readOnly) -> std::unique_ptr<Registry> {
         return SqliteRegistry::forThisUser(readOnly ? SqliteRegistry::Mode::ReadOnly
                                                     : SqliteRegistry::Mode::ReadWrite);
       },
       paths::documents(), program, *queueBackend, [program] { return ReadIncludeList(program); },
       [] { return MakeDesktopPointerSettings(); }});
  MouseQueue queue;

  // Profiles that follow the focused application, switched and uploaded as Apply does.
  FocusFollow follow(*registry, *registry, monitor, queue, [&](int index, std::string& problem) {
    return actions.Upload({index}, problem);
  });

  // The mouse for other programs, beside Notify.
  MouseBusObject mouse(
      bus, monitor, queue,
      {[&](const ProfileUpload& request, std::string& problem) {
         return actions.Upload(request, problem);
       },
       [&](int index) { return actions.ExportJson(index); }, [&] { return actions.Model(); }},
      *registry, *registry);
  if (!mouse.Register(error)) std::cerr << "corvnmon: " << error.toStdString() << "\n";
  mouse.SetPresent(present);
  QObject::connect(&plugs, &MousePlugWatch::PresenceChecked, &mouse, &MouseBusObject::SetPresent);

  const auto log = [](const QString& text) {
    std::cerr << "corvnmon: " << text.toStdString() << "\n";
  };
  QObject::connect(&follow, &FocusFollow::SwitchRefused, log);
  QObject::connect(&follow, &FocusFollow::SourceLost, [&](const QString& why) {
    log("profiles no longer follow the application: " + why);
  });
  std::unique_ptr<KWinFocusScript> kwin;
  followFocus(follow, kwin, bus);
  if (kwin) QObject::connect(kwin.get(), &KWinFocusScript::Lost, &follow, &FocusFollow::SourceLost);
  return app.exec();
}
