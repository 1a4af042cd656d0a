// SPDX-License-Identifier: GPL-2.0-or-later
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <deque>

#include "app/pointer_restore.h"
#include "device/hid_data.h"
#include "model/data_module.h"
#include "monitor/desktop_notifier.h"
#include "monitor/focus_follow.h"
#include "monitor/kwin_focus_script.h"
#include "monitor/monitor_fixtures.h"
#include "monitor/monitor_service.h"
#include "monitor/monitor_tray.h"
#include "monitor/mouse_plug_watch.h"
#include "monitor/mouse_queue.h"
#include "platform/linux/dbus_monitor_link.h"
#include "platform/linux/sqlite_registry.h"
#include "platform/monitor_link.h"
#include "sim/in_process_backend.h"
#include "test_support/private_bus.h"
#include "test_support/recording_pointer_settings.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

// A notification server standing in for the desktop's: records what it was asked to show.
class NotificationServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  explicit NotificationServer(QDBusConnection bus) : FBus(std::move(bus)) {
    FOk = FBus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                              QDBusConnection::ExportAllSlots) &&
          FBus.registerService(QStringLiteral("org.freedesktop.Notifications"));
  }
  bool ok() const { return FOk; }
  QStringList summaries;
  QStringList apps;

 public Q_SLOTS:
  uint Notify(const QString& app, uint, const QString&, const QString& summary, const QString&,
              const QStringList&, const QVariantMap&, int) {
    apps << app;
    summaries << summary;
    return static_cast<uint>(summaries.size());
  }

 private:
  QDBusConnection FBus;
  bool FOk = false;
};

fs::path stageDir() {
  return qEnvironmentVariable("QORCFG51_TEST_STAGE").toStdString();
}

// The environment of a monitor process: the test's bus, and its own settings and runtime
// folders.
QProcessEnvironment monitorEnvironment(const test::TempDir& home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QORCFG51_PROGRAM_DIR", QString::fromStdString(stageDir().string()));
  env.insert("XDG_CONFIG_HOME", QString::fromStdString((home / "config").string()));
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.path().string()));
  return env;
}

// A focus source fed by the test: each Tell is one byte on a pipe and one focus change.
class StandInFocusSource final : public FocusSource {
 public:
  StandInFocusSource() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) FRead = fds[0], FWrite = fds[1];
  }
  ~StandInFocusSource() override {
    ::close(FRead);
    Close();
  }
  // The window system reports the focus on a window of `names`.
  void Tell(std::vector<std::string> names) {
    FNews.push_back(std::move(names));
    [[maybe_unused]] auto n = ::write(FWrite, "x", 1);
  }
  // The window system goes away.
  void Close() {
    if (FWrite >= 0) ::close(FWrite);
    FWrite = -1;
  }

  int fd() const override { return FRead; }
  std::optional<std::vector<std::string>> readFocus() override {
    char byte;
    if (::read(FRead, &byte, 1) == 0) FLost = true;  // the writer closed
    if (FNews.empty()) return std::nullopt;
    auto names = std::move(FNews.front());
    FNews.pop_front();
    return names;
  }
  std::string lost() const override { return FLost ? "the stand-in closed" : ""; }

 private:
  int FRead = -1, FWrite = -1;
  bool FLost = false;
  std::deque<std::vector<std::string>> FNews;
};

// KWin's scripting interface standing in: records the scripts it was asked to load and run.
class KWinScripting : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.kwin.Scripting")

 public:
  explicit KWinScripting(QDBusConnection bus) : FBus(std::move(bus)) {
    FOk =
        FBus.registerObject(QStringLiteral("/Scripting"), this, QDBusConnection::ExportAllSlots) &&
        FBus.registerService(QStringLiteral("org.kde.KWin"));
  }
  bool ok() const { return FOk; }
  QStringList calls;
  QString script;

 public Q_SLOTS:
  int loadScript(const QString& file, const QString& name) {
    QFile in(file);
    if (in.open(QIODevice::ReadOnly)) script = QString::fromUtf8(in.readAll());
    calls << "load " + name;
    return 7;
  }
  void start() { calls << "start"; }
  bool unloadScript(const QString& name) {
    calls << "unload " + name;
    return true;
  }

 private:
  QDBusConnection FBus;
  bool FOk = false;
};

}  // namespace

class MonitorTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void answersTheConfiguratorsNotices();
  void readsEachNotice_data();
  void readsEachNotice();
  void commandLine_data();
  void commandLine();
  void speaksTheStoredLanguage();
  void iconComesFromTheProgramFolder();
  void followsTheFocusedApplication();
  void leavingBeforeTheSwitchRanReturnsAgain();
  void learnsTheFocusFromAKWinScript();
  void handsThePointerSettingsOnWhenTheMouseIsPluggedIn();
  void takesAMouseAddedToTheIncludeListAtTheNextChange();
};

void MonitorTest::answersTheConfiguratorsNotices() {
  test::PrivateSessionBus daemon;
  QVERIFY2(daemon.ok(), "dbus-daemon could not be started");
  BusConnections connections;
  NotificationServer server(connections.open("server"));
  QVERIFY(server.ok());
  const QDBusConnection bus = connections.open("monitor");
  TQor51MonMain monitor(bus);
  DesktopNotifier notifier(bus);
  connect(&monitor, &TQor51MonMain::NotificationDue, &notifier, &DesktopNotifier::Show);
  QSignalSpy toolTips(&monitor, &TQor51MonMain::ToolTipChanged);
  QString error;
  QCOMPARE(monitor.Claim(error), TQor51MonMain::ClaimResult::Owned);
  QCOMPARE(monitor.ToolTip(), QStringLiteral("Gaming Mouse Driver"));

  // The configurator's own client, which blocks until the monitor has answered.
  std::thread configurator([] {
    DbusMonitorLink link{fs::path()};
    link.Notify(0, 0);
    link.Notify(1, 2);
  });
  QTRY_COMPARE(server.summaries, QStringList({"Settings applied", "Profile 3"}));
  configurator.join();
  QCOMPARE(server.apps, QStringList({"qorcfg51", "qorcfg51"}));
  QCOMPARE(monitor.CurrentProfile(), std::optional<int>(2));
  QCOMPARE(toolTips.size(), 1);
  QCOMPARE(toolTips.at(0).at(0).toString(), QStringLiteral("Profile 3"));

  TQor51MonMain second(connections.open("second"));
  QCOMPARE(second.Claim(error), TQor51MonMain::ClaimResult::AlreadyRunning);
}

void MonitorTest::readsEachNotice_data() {
  QTest::addColumn<uint>("wparam");
  QTest::addColumn<uint>("lparam");
  QTest::addColumn<bool>("refused");
  QTest::addColumn<QString>("summary");  // empty: no desktop notification
  QTest::addColumn<int>("profile");      // -1: no profile known
  QTest::newRow("applied") << 0u << 0u << false << "Settings applied" << -1;
  QTest::newRow("first profile") << 1u << 0u << false << "Profile 1" << 0;
  QTest::newRow("last profile") << 1u << 4u << false << "Profile 5" << 4;
  QTest::newRow("bindings changed") << 2u << 0u << false << "" << -1;
  QTest::newRow("no sixth profile") << 1u << 5u << true << "" << -1;
  QTest::newRow("index -1") << 1u << 0xFFFFFFFFu << true << "" << -1;
  QTest::newRow("applied with a value") << 0u << 1u << true << "" << -1;
  QTest::newRow("bindings with a value") << 2u << 1u << true << "" << -1;
  QTest::newRow("unknown kind") << 3u << 0u << true << "" << -1;
}

void MonitorTest::readsEachNotice() {
  QFETCH(uint, wparam);
  QFETCH(uint, lparam);
  QFETCH(bool, refused);
  QFETCH(QString, summary);
  QFETCH(int, profile);
  test::PrivateSessionBus daemon;
  QVERIFY(daemon.ok());
  BusConnections connections;
  const QDBusConnection bus = connections.open("monitor");
  TQor51MonMain monitor(bus);
  // No notification server runs: the answer must not depend on one.
  DesktopNotifier notifier(bus);
  connect(&monitor, &TQor51MonMain::NotificationDue, &notifier, &DesktopNotifier::Show);
  QSignalSpy due(&monitor, &TQor51MonMain::NotificationDue);
  QSignalSpy noticed(&monitor, &TQor51MonMain::Noticed);
  QString error;
  QCOMPARE(monitor.Claim(error), TQor51MonMain::ClaimResult::Owned);

  QDBusMessage call = QDBusMessage::createMethodCall(kMonitorBusName, kMonitorObjectPath,
                                                     kMonitorInterface, "Notify");
  call << wparam << lparam;
  QDBusPendingCall pending = connections.open("caller").asyncCall(call);
  QTRY_VERIFY(pending.isFinished());

  if (refused) {
    QVERIFY(pending.isError());
    QCOMPARE(pending.error().type(), QDBusError::InvalidArgs);
    QCOMPARE(noticed.size(), 0);
  } else {
    QVERIFY2(!pending.isError(), qPrintable(pending.error().message()));
    QCOMPARE(noticed.size(), 1);
  }
  QCOMPARE(due.size(), summary.isEmpty() ? 0 : 1);
  if (!summary.isEmpty()) QCOMPARE(due.at(0).at(0).toString(), summary);
  QCOMPARE(monitor.CurrentProfile(), profile < 0 ? std::nullopt : std::optional<int>(profile));
  if (profile >= 0) QCOMPARE(monitor.ToolTip(), summary);
}

void MonitorTest::commandLine_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<QString>("environment");  // "", "no bus", "no display" or "name taken"
  QTest::addColumn<int>("status");
  QTest::addColumn<QString>("output");  // expected in stdout and stderr; "" for silence
  QTest::newRow("help") << QStringList{"--help"} << "" << 0 << "Usage: corvnmon";
  QTest::newRow("unknown argument")
      << QStringList{"--frobnicate"} << "" << 2 << "unknown argument \"--frobnicate\"";
  QTest::newRow("no session bus") << QStringList{} << "no bus" << 1
                                  << "cannot use the D-Bus session bus";
  QTest::newRow("no display") << QStringList{} << "no display" << 1 << "no desktop display";
  QTest::newRow("second monitor") << QStringList{} << "name taken" << 0 << "";
}

void MonitorTest::commandLine() {
  QFETCH(QStringList, args);
  QFETCH(QString, environment);
  QFETCH(int, status);
  QFETCH(QString, output);
  test::PrivateSessionBus daemon;
  QVERIFY(daemon.ok());
  BusConnections connections;
  test::TempDir home;
  QProcessEnvironment env = monitorEnvironment(home);
  if (environment == "no bus")
    env.insert("DBUS_SESSION_BUS_ADDRESS",
               QString::fromStdString("unix:path=" + (home / "no-bus").string()));
  if (environment == "no display")
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
  TQor51MonMain first(connections.open("first"));
  QString error;
  if (environment == "name taken") QCOMPARE(first.Claim(error), TQor51MonMain::ClaimResult::Owned);

  QProcess monitor;
  monitor.setProcessEnvironment(env);
  monitor.start(QStringLiteral(QOR_MONITOR_PATH), args);
  QVERIFY(monitor.waitForFinished(10000));
  QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
  QCOMPARE(monitor.exitCode(), status);
  const QString printed =
      QString::fromUtf8(monitor.readAllStandardOutput() + monitor.readAllStandardError());
  if (output.isEmpty())
    QCOMPARE(printed, QString());
  else
    QVERIFY2(printed.contains(output), qPrintable(printed));
}

void MonitorTest::speaksTheStoredLanguage() {
  test::PrivateSessionBus daemon;
  QVERIFY(daemon.ok());
  BusConnections connections;
  NotificationServer server(connections.open("server"));
  QVERIFY(server.ok());
  test::TempDir home;
  {
    // The all-profiles record (30960 bytes) with language index 1, German in ui.local, in
    // its last four bytes.
    SqliteRegistry registry(home / "config/qorcfg51/registry.db", ":memory:");
    std::vector<uint8_t> record(30960, 0);
    record[30956] = 1;
    QVERIFY(registry
                .writeValue(RootKey::CurrentUser, "software\\QOR51GMMouse", "QOR51PROFILE.PFX",
                            {ValueType::Binary, record})
                .isOk());
  }
  QProcess monitor;
  monitor.setProcessEnvironment(monitorEnvironment(home));
  monitor.setProcessChannelMode(QProcess::ForwardedChannels);
  monitor.start(QStringLiteral(QOR_MONITOR_PATH), QStringList{});
  QVERIFY(monitor.waitForStarted());
  DbusMonitorLink link{fs::path()};
  QTRY_VERIFY(link.MonitorRunning());

  link.Notify(0, 0);
  link.Notify(1, 2);
  QTRY_COMPARE(server.summaries, QStringList({"Einstellungen angewendet", "Profil 3"}));
  QCOMPARE(monitor.state(), QProcess::Running);
  monitor.terminate();
  QVERIFY(monitor.waitForFinished());
}

void MonitorTest::iconComesFromTheProgramFolder() {
  // images/logo.ico holds 16, 32, 48 and 256 pixel pictures; the name is given as the
  // configurator writes it.
  const QIcon shipped = MonitorIcon(stageDir());
  QVERIFY(shipped.availableSizes().contains(QSize(256, 256)));
  QVERIFY(shipped.availableSizes().contains(QSize(16, 16)));

  test::TempDir empty;
  const QIcon drawn = MonitorIcon(empty.path());
  QVERIFY(!drawn.isNull());
  const QImage image = drawn.pixmap(32).toImage();
  bool accent = false;
  for (int y = 0; y < image.height() && !accent; ++y)
    for (int x = 0; x < image.width() && !accent; ++x)
      accent = image.pixelColor(x, y).rgb() == qRgb(0x21, 0xd4, 0xfd);
  QVERIFY(accent);
}

void MonitorTest::followsTheFocusedApplication() {
  test::TempDir home;
  SqliteRegistry registry(home / "user.db", home / "machine.db");
  QVERIFY(registry.bindApp("steam_app_570", 3).isOk());
  TQor51MonMain monitor{QDBusConnection(QString())};  // told in process only
  QSignalSpy notices(&monitor, &TQor51MonMain::NotificationDue);
  RecordedSwitches switches;
  std::atomic<ProfileSwitchResult> answer = ProfileSwitchResult::Switched;
  MouseQueue queue;
  FocusFollow follow(registry, registry, monitor, queue, [&](int index, std::string&) {
    switches.add(index);
    return answer.load();
  });
  QSignalSpy refused(&follow, &FocusFollow::SwitchRefused);
  QSignalSpy lost(&follow, &FocusFollow::SourceLost);
  auto owned = std::make_unique<StandInFocusSource>();
  StandInFocusSource& source = *owned;
  follow.Follow(std::move(owned));

  source.Tell({"xterm", "XTerm"});  // unbound: nothing
  source.Tell({"steam_app_570", "steam_app_570"});
  QTRY_COMPARE(switches.list(), std::vector<int>({2}));
  QTRY_COMPARE(notices.size(), 1);
  QCOMPARE(notices.at(0).at(0).toString(), QStringLiteral("Profile 3"));
  QCOMPARE(monitor.CurrentProfile(), std::optional<int>(2));

  source.Tell({"Navigator", "firefox"});  // back to the profile current before
  QTRY_COMPARE(switches.list(), std::vector<int>({2, 0}));
  QTRY_COMPARE(notices.size(), 2);
  QCOMPARE(notices.at(1).at(0).toString(), QStringLiteral("Profile 1"));

  // The window holds the settings: refused, and the user's profile stays.
  answer = ProfileSwitchResult::WindowOpen;
  source.Tell({"steam_app_570", "steam_app_570"});
  QTRY_COMPARE(refused.size(), 1);
  QVERIFY(refused.at(0).at(0).toString().contains("window is open"));
  QCOMPARE(notices.size(), 2);
  QCOMPARE(monitor.CurrentProfile(), std::optional<int>(0));

  source.Close();  // the window system went away: no more switches, no busy loop
  QTRY_COMPARE(lost.size(), 1);
  QCOMPARE(switches.list().size(), std::size_t(3));
}

// The focus leaves a game while its switch still waits on the queue: the switch counts as
// made, so the monitor returns to the profile of before instead of staying on the game's.
void MonitorTest::leavingBeforeTheSwitchRanReturnsAgain() {
  test::TempDir home;
  SqliteRegistry registry(home / "user.db", home / "machine.db");
  QVERIFY(registry.bindApp("steam_app_570", 3).isOk());
  TQor51MonMain monitor{QDBusConnection(QString())};
  RecordedSwitches switches;
  std::atomic<bool> held = true;
  std::atomic<int> started = 0;
  MouseQueue queue;
  FocusFollow follow(registry, registry, monitor, queue, [&](int index, std::string&) {
    ++started;
    while (held) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    switches.add(index);
    return ProfileSwitchResult::Switched;
  });
  follow.FocusChanged({"steam_app_570", "steam_app_570"});
  QTRY_COMPARE(started.load(), 1);
  follow.FocusChanged({"xterm", "XTerm"});
  held = false;
  QTRY_COMPARE(switches.list(), std::vector<int>({2, 0}));
  QTRY_COMPARE(monitor.CurrentProfile(), std::optional<int>(0));
}

void MonitorTest::learnsTheFocusFromAKWinScript() {
  test::PrivateSessionBus daemon;
  QVERIFY2(daemon.ok(), "dbus-daemon could not be started");
  BusConnections connections;
  QDBusConnection kwinBus = connections.open("kwin");
  KWinScripting kwin(kwinBus);
  QVERIFY(kwin.ok());
  test::TempDir home;
  SqliteRegistry registry(home / "user.db", home / "machine.db");
  QVERIFY(registry.bindApp("steam_app_570", 3).isOk());
  const QDBusConnection bus = connections.open("monitor");
  TQor51MonMain monitor(bus);
  QString error;
  QCOMPARE(monitor.Claim(error), TQor51MonMain::ClaimResult::Owned);
  RecordedSwitches switches;
  MouseQueue queue;
  FocusFollow follow(registry, registry, monitor, queue, [&](int index, std::string&) {
    switches.add(index);
    return ProfileSwitchResult::Switched;
  });
  {
    KWinFocusScript script(bus, follow);
    QVERIFY2(script.Start(home.path(), error), qPrintable(error));
    QTRY_COMPARE(kwin.calls,
                 QStringList({"unload qorcfg51-focus", "load qorcfg51-focus", "start"}));
    QVERIFY(
        kwin.script.contains("callDBus(\"io.github.qorcfg51.TQor51MonMain\", "
                             "\"/io/github/qorcfg51/Focus\", \"io.github.qorcfg51.Focus\", "
                             "\"FocusChanged\""));

    // What the script calls (from KWin's own connection) when a game's window is activated,
    // and then another window.
    const auto focus = [&](QDBusConnection from, const QString& cls, const QString& name) {
      QDBusMessage m = QDBusMessage::createMethodCall(
          kMonitorBusName, kFocusObjectPath, kFocusInterface, QStringLiteral("FocusChanged"));
      m << cls << name;
      return from.asyncCall(m);
    };
    focus(kwinBus, "steam_app_570", "steam_app_570");
    QTRY_COMPARE(switches.list(), std::vector<int>({2}));
    QTRY_COMPARE(monitor.CurrentProfile(), std::optional<int>(2));
    focus(kwinBus, "org.kde.dolphin", "dolphin");
    QTRY_COMPARE(switches.list(), std::vector<int>({2, 0}));
    QTRY_COMPARE(monitor.CurrentProfile(), std::optional<int>(0));

    // Anyone else on the bus is refused.
    QDBusPendingCall stranger = focus(connections.open("stranger"), "steam_app_570", "x");
    QTRY_VERIFY(stranger.isFinished());  // answered by this thread's own loop
    QVERIFY(stranger.isError());
    QCOMPARE(stranger.error().type(), QDBusError::AccessDenied);

    // A burst of focus news makes few switches, and the last focus wins: each switch uploads.
    switches.clear();
    for (int i = 0; i < 40; ++i) focus(kwinBus, i % 2 ? "org.kde.dolphin" : "steam_app_570", "w");
    QDBusPendingCall last = focus(kwinBus, "steam_app_570", "steam_app_570");
    QTRY_VERIFY(last.isFinished());
    QTRY_COMPARE(monitor.CurrentProfile(), std::optional<int>(2));
    QTest::qWait(100);
    const std::vector<int> made = switches.list();
    QVERIFY2(made.size() < 10, qPrintable(QString::number(made.size())));
    QCOMPARE(made.back(), 2);
  }
  QTRY_COMPARE(kwin.calls.last(), QStringLiteral("unload qorcfg51-focus"));  // at the end
}

void MonitorTest::handsThePointerSettingsOnWhenTheMouseIsPluggedIn() {
  test::TempDir home;
  SqliteRegistry registry(home / "user.db", home / "machine.db");
  // An Apply handed on speed 14, 3 wheel lines and no acceleration.
  QVERIFY(RecordAppliedPointerSettings(registry, {.speed = 14, .wheelLines = 3, .acceleration = 0})
              .isOk());
  auto pointer = std::make_shared<test::RecordingPointerSettings>();
  AppliedPointerRestore restore(registry, pointer);
  PluggableMouse backend;
  TuiHIDData device(backend, {});
  auto owned = std::make_unique<StandInWatcher>();
  StandInWatcher& watcher = *owned;
  MousePlugWatch plugs(std::move(owned), device);
  connect(&plugs, &MousePlugWatch::PresenceChecked,
          [&](bool present) { restore.MousePresence(present); });
  QVERIFY(!restore.MousePresence(plugs.Present()));  // started without the mouse

  backend.plugged = true;
  watcher.Change();
  const std::vector<std::string> once = {"acceleration 0 0,0,0", "speed 14", "wheel 3"};
  QTRY_COMPARE_WITH_TIMEOUT(pointer->calls(), once, 5000);

  watcher.Change();  // another device came; the mouse stayed
  QTest::qWait(MousePlugWatch::kSettleMs + 300);
  QCOMPARE(pointer->calls(), once);
}

// The include list is read again after a device change: a mouse added to a config.ini while
// the monitor runs is found without a restart.
void MonitorTest::takesAMouseAddedToTheIncludeListAtTheNextChange() {
  PluggableMouse backend;
  backend.plugged = true;
  std::vector<std::string> includeList = {"HID\\VID_1A2B&PID_3C4D"};
  TuiHIDData device(backend, includeList);
  auto owned = std::make_unique<StandInWatcher>();
  StandInWatcher& watcher = *owned;
  MousePlugWatch plugs(std::move(owned), device, [&] { return includeList; });
  QList<bool> checked;
  connect(&plugs, &MousePlugWatch::PresenceChecked, [&](bool present) { checked << present; });
  QVERIFY(!plugs.Present());

  includeList.push_back("hid\\vid_1209&pid_0001");
  watcher.Change();
  QTRY_COMPARE_WITH_TIMEOUT(checked, QList<bool>({true}), 5000);
}

}  // namespace qor

QTEST_MAIN(qor::MonitorTest)
#include "monitor_test.moc"
