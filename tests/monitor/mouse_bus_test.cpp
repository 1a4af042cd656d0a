// SPDX-License-Identifier: GPL-2.0-or-later
// io.github.qorcfg51.Mouse1 against the virtual mouse on private session buses, and the
// monitor program following X11 windows on GNOME under Wayland (Xvfb standing in for XWayland).
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QXmlStreamReader>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "model/data_module.h"
#include "monitor/focus_follow.h"
#include "monitor/focus_way.h"
#include "monitor/monitor_fixtures.h"
#include "monitor/monitor_service.h"
#include "monitor/mouse_actions.h"
#include "monitor/mouse_bus_object.h"
#include "monitor/mouse_plug_watch.h"
#include "monitor/mouse_queue.h"
#include "platform/instance_lock.h"
#include "platform/linux/dbus_monitor_link.h"
#include "platform/linux/sqlite_registry.h"
#include "platform/monitor_link.h"
#include "test_support/private_bus.h"
#include "test_support/recording_pointer_settings.h"
#include "test_support/scoped_env.h"
#include "test_support/sim_process.h"
#include "test_support/temp_dir.h"
#include "test_support/x11_window_manager.h"
#include "test_support/xvfb.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

fs::path stageDir() {
  return qEnvironmentVariable("QORCFG51_TEST_STAGE").toStdString();
}

// A property value as the tests compare it: a{su} as {app=N,...}.
QString valueText(const QVariant& v) {
  if (v.canConvert<QDBusArgument>()) {
    const BindingMap map = qdbus_cast<BindingMap>(v.value<QDBusArgument>());
    QStringList items;
    for (auto it = map.begin(); it != map.end(); ++it)
      items << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
    return "{" + items.join(",") + "}";
  }
  if (v.typeId() == QMetaType::Bool) return v.toBool() ? "true" : "false";
  return v.toString();
}

// "Name=value" for each property, ordered by name, joined by spaces.
QString propertiesText(const QVariantMap& values) {
  QStringList parts;
  for (auto it = values.begin(); it != values.end(); ++it)
    parts << it.key() + "=" + valueText(it.value());
  return parts.join(" ");
}

// Every PropertiesChanged of the mouse object, one line a signal, in order of arrival.
class PropertiesWatch : public QObject {
  Q_OBJECT

 public:
  explicit PropertiesWatch(QDBusConnection bus) : FBus(std::move(bus)) {
    FOk = FBus.connect(kMonitorBusName, kMouseObjectPath,
                       QStringLiteral("org.freedesktop.DBus.Properties"),
                       QStringLiteral("PropertiesChanged"), this,
                       SLOT(changed(QString, QVariantMap, QStringList)));
  }
  bool ok() const { return FOk; }
  QStringList lines;

  // Every property now, as Properties.GetAll answers.
  QString all() {
    QDBusMessage m = QDBusMessage::createMethodCall(
        kMonitorBusName, kMouseObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("GetAll"));
    m << QString(kMouseInterface);
    // The monitor may answer from this very thread.
    const QDBusReply<QVariantMap> reply = FBus.call(m, QDBus::BlockWithGui);
    return reply.isValid() ? propertiesText(reply.value()) : reply.error().message();
  }

 private Q_SLOTS:
  void changed(const QString& interface, const QVariantMap& values, const QStringList&) {
    lines << interface + ": " + propertiesText(values);
  }

 private:
  QDBusConnection FBus;
  bool FOk = false;
};

QString mouseLine(const QString& text) {
  return QString(kMouseInterface) + ": " + text;
}

QDBusMessage mouseCall(const char* method, const QVariantList& args = {}) {
  QDBusMessage m =
      QDBusMessage::createMethodCall(kMonitorBusName, kMouseObjectPath, kMouseInterface, method);
  m.setArguments(args);
  return m;
}

// The monitor's objects as the program puts them together, with the virtual mouse in process.
// Uploads can be held at their start, and how many ran at once is counted.
struct Rig {
  Rig() {
    env.set("XDG_RUNTIME_DIR", home.path().c_str());  // the settings lock lives there
    env.set("XDG_CONFIG_HOME", (home / "config").c_str());
    mouseBackend.plugged = true;
  }
  // A test that failed while holding uploads must not leave the queue waiting at its end.
  ~Rig() { hold(false); }

  // Claims the names, registers the object and follows plug-ins as the program does.
  bool start() {
    QString error;
    if (!daemon.ok() || monitor.Claim(error) != TQor51MonMain::ClaimResult::Owned ||
        !mouse.Register(error))
      return false;
    mouse.SetPresent(plugs.Present());
    QObject::connect(&plugs, &MousePlugWatch::PresenceChecked, &mouse, &MouseBusObject::SetPresent);
    return watch.ok();
  }

  ProfileSwitchResult upload(const ProfileUpload& request, std::string& problem) {
    {
      std::unique_lock lock(gateLock);
      most = std::max(most, ++running);
      ++started;
      gateOpen.wait(lock, [this] { return !held; });
    }
    const ProfileSwitchResult result = actions.Upload(request, problem);
    std::lock_guard lock(gateLock);
    --running;
    uploaded.push_back(request.index);
    return result;
  }
  void hold(bool on) {
    {
      std::lock_guard lock(gateLock);
      held = on;
    }
    gateOpen.notify_all();
  }
  template <typename T>
  T locked(const T& value) {
    std::lock_guard lock(gateLock);
    return value;
  }

  // Profile `index` with its own LED colour, stored as Apply stores it.
  void storeProfileColour(int index, uint8_t red) {
    TDM dm({registry, home / "docs", stageDir()}, nullptr);
    dm.OpenProfile(index);
    dm.FCurrentProfileInfo.ConfigInfo.LEDConfig = {red, 0, 0, 3, 0, 0};
    dm.SaveBackToCurrentProfileInfo();
    QVERIFY(dm.SaveAllProfileData());
  }
  // The LED block the mouse holds: 255 - G, 255 - B, 255 - R, brightness, breathing.
  uint8_t mouseRed() { return 255 - mouseBackend.firmware().firmware(0).memory()[2179]; }

  test::PrivateSessionBus daemon;
  test::TempDir home;
  test::ScopedEnv env;
  BusConnections connections;
  SqliteRegistry registry{home / "config/qorcfg51/registry.db", home / "machine.db"};
  PluggableMouse mouseBackend;
  TuiHIDData device{mouseBackend, {}};
  StandInWatcher* watcher = new StandInWatcher;
  MousePlugWatch plugs{std::unique_ptr<DeviceWatcher>(watcher), device};
  std::shared_ptr<test::RecordingPointerSettings> pointer =
      std::make_shared<test::RecordingPointerSettings>();
  QDBusConnection bus = connections.open("monitor");
  TQor51MonMain monitor{bus};
  MouseActions actions{{[this](bool readOnly) -> std::unique_ptr<Registry> {
                          return std::make_unique<SqliteRegistry>(
                              home / "config/qorcfg51/registry.db", home / "machine.db",
                              readOnly ? SqliteRegistry::Mode::ReadOnly
                                       : SqliteRegistry::Mode::ReadWrite);
                        },
                        home / "docs", stageDir(), mouseBackend,
                        [] { return std::vector<std::string>{}; }, [this] { return pointer; }}};

  std::mutex gateLock;
  std::condition_variable gateOpen;
  bool held = false;
  int running = 0, most = 0, started = 0;
  std::vector<int> uploaded;  // profile indexes

  MouseQueue queue;
  MouseBusObject mouse{
      bus,
      monitor,
      queue,
      {[this](const ProfileUpload& r, std::string& p) { return upload(r, p); },
       [this](int index) { return actions.ExportJson(index); }, [this] { return actions.Model(); }},
      registry,
      registry};
  QDBusConnection client = connections.open("client");
  PropertiesWatch watch{client};
};

}  // namespace

class MouseBusTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void propertiesAnnounceEveryChange();
  void switchAndApplyUploadAsTheFocusSwitchDoes();
  void refusals_data();
  void refusals();
  void aMouseThatStopsAnsweringIsNamed();
  void uploadsOneAtATimeAndTheLastRequestWins();
  void introspectionIsTheInstalledInterface();
  void choosesWhereTheFocusIsLearnt_data();
  void choosesWhereTheFocusIsLearnt();
  void followsX11WindowsOnGnomeWayland();
};

// What the window, the command line and the plug watch tell the monitor reaches bus clients
// as PropertiesChanged, in the order it happened.
void MouseBusTest::propertiesAnnounceEveryChange() {
  Rig rig;
  QVERIFY(rig.start());
  // The model is asked for once the mouse is known to be there.
  QTRY_COMPARE(rig.watch.lines,
               QStringList({mouseLine("Present=true"), mouseLine("Model=MODAL001")}));
  QCOMPARE(rig.watch.all(), QStringLiteral("Bindings={} CurrentProfile=1 Model=MODAL001 "
                                           "Present=true ProfileCount=5"));
  rig.watch.lines.clear();

  // The command line, as the user runs it; it tells the monitor through Notify.
  const auto ctl = [&](const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QORCFG51_PROGRAM_DIR", QString::fromStdString(stageDir().string()));
    env.insert("HOME", QString::fromStdString(rig.home.path().string()));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QOR_CTL_PATH), args);
    // The monitor answers Notify from this thread's loop while the command waits for it.
    QTRY_VERIFY_WITH_TIMEOUT(p.state() == QProcess::NotRunning, 10000);
    QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
  };
  ctl({"switch", "3"});
  QTRY_COMPARE(rig.watch.lines, QStringList{mouseLine("CurrentProfile=3")});
  ctl({"bind", "steam_app_570", "5"});
  ctl({"bind", "factorio", "2"});
  ctl({"unbind", "steam_app_570"});
  QTRY_COMPARE(rig.watch.lines.size(), 4);

  // The window's Apply: nothing a client sees changed, so nothing is announced.
  std::thread([] { DbusMonitorLink(fs::path()).Notify(0, 0); }).join();
  QTest::qWait(100);

  rig.mouseBackend.plugged = false;
  rig.watcher->Change();
  QTRY_COMPARE_WITH_TIMEOUT(rig.watch.lines.size(), 5, 5000);
  rig.mouseBackend.plugged = true;
  rig.watcher->Change();
  QTRY_COMPARE_WITH_TIMEOUT(rig.watch.lines.size(), 7, 5000);

  QCOMPARE(rig.watch.lines,
           QStringList({mouseLine("CurrentProfile=3"), mouseLine("Bindings={steam_app_570=5}"),
                        mouseLine("Bindings={factorio=2,steam_app_570=5}"),
                        mouseLine("Bindings={factorio=2}"),
                        mouseLine("Model= Present=false"),  // unplugged: no model either
                        mouseLine("Present=true"), mouseLine("Model=MODAL001")}));
}

// SwitchProfile and Apply reach the mouse through Apply's sequence and are told like a focus
// switch: tray, desktop notification, CurrentProfile.
void MouseBusTest::switchAndApplyUploadAsTheFocusSwitchDoes() {
  Rig rig;
  QVERIFY(rig.start());
  rig.storeProfileColour(2, 200);
  rig.storeProfileColour(0, 10);
  QSignalSpy notices(&rig.monitor, &TQor51MonMain::NotificationDue);

  QDBusPendingCall switched = rig.client.asyncCall(mouseCall("SwitchProfile", {3u}));
  QTRY_VERIFY_WITH_TIMEOUT(switched.isFinished(), 10000);
  QVERIFY2(!switched.isError(), qPrintable(switched.error().message()));
  QCOMPARE(rig.mouseRed(), 200);
  QTRY_COMPARE(rig.watch.lines.last(), mouseLine("CurrentProfile=3"));
  QCOMPARE(rig.monitor.ToolTip(), QStringLiteral("Profile 3"));

  // Profile 3 changed in store (as the command line's set does): Apply uploads it.
  rig.storeProfileColour(2, 90);
  const unsigned applies = rig.mouseBackend.firmware().firmware(0).command1().count;
  QDBusPendingCall applied = rig.client.asyncCall(mouseCall("Apply"));
  QTRY_VERIFY_WITH_TIMEOUT(applied.isFinished(), 10000);
  QVERIFY2(!applied.isError(), qPrintable(applied.error().message()));
  QCOMPARE(rig.mouseRed(), 90);
  QCOMPARE(rig.mouseBackend.firmware().firmware(0).command1().count, applies + 1);

  QCOMPARE(rig.locked(rig.uploaded), std::vector<int>({2, 2}));
  QCOMPARE(notices.size(), 2);
  QCOMPARE(notices.at(0).at(0).toString(), QStringLiteral("Profile 3"));
  QCOMPARE(notices.at(1).at(0).toString(), QStringLiteral("Settings applied"));
}

void MouseBusTest::refusals_data() {
  QTest::addColumn<QString>("method");
  QTest::addColumn<QVariantList>("args");
  QTest::addColumn<QString>("state");  // "", "window open" or "no mouse"
  QTest::addColumn<QString>("error");
  QTest::addColumn<QString>("says");  // part of the message, telling what to do
  const QVariantList json1{1u, QStringLiteral("json")};
  QTest::newRow("switch to 0") << "SwitchProfile" << QVariantList{0u} << ""
                               << "InvalidProfile"
                               << "profiles are numbered 1 to 5";
  QTest::newRow("switch to 6") << "SwitchProfile" << QVariantList{6u} << ""
                               << "InvalidProfile"
                               << "profiles are numbered 1 to 5";
  QTest::newRow("export 0") << "ExportProfile" << QVariantList{0u, QStringLiteral("json")} << ""
                            << "InvalidProfile"
                            << "profiles are numbered 1 to 5";
  QTest::newRow("export as xml") << "ExportProfile" << QVariantList{1u, QStringLiteral("xml")} << ""
                                 << "UnknownFormat"
                                 << "ask for \"json\"";
  QTest::newRow("export as JSON") << "ExportProfile" << QVariantList{1u, QStringLiteral("JSON")}
                                  << ""
                                  << "UnknownFormat"
                                  << "ask for \"json\"";
  QTest::newRow("switch, window open") << "SwitchProfile" << QVariantList{2u} << "window open"
                                       << "SettingsBusy"
                                       << "close it";
  QTest::newRow("apply, window open") << "Apply" << QVariantList{} << "window open"
                                      << "SettingsBusy"
                                      << "close it";
  QTest::newRow("export, window open") << "ExportProfile" << json1 << "window open"
                                       << "SettingsBusy"
                                       << "close it";
  QTest::newRow("switch, no mouse") << "SwitchProfile" << QVariantList{2u} << "no mouse"
                                    << "NoMouse"
                                    << "plug it in";
  QTest::newRow("apply, no mouse") << "Apply" << QVariantList{} << "no mouse"
                                   << "NoMouse"
                                   << "plug it in";
  QTest::newRow("export, no mouse") << "ExportProfile" << json1 << "no mouse"
                                    << "NoMouse"
                                    << "plug it in";
  // The profile JSON writer is not part of this build yet: refused rather than made up.
  QTest::newRow("export as json") << "ExportProfile" << json1 << ""
                                  << "Failed"
                                  << "cannot write profiles as JSON";
}

// A refused call changes nothing: no upload, no stored switch, no announcement.
void MouseBusTest::refusals() {
  QFETCH(QString, method);
  QFETCH(QVariantList, args);
  QFETCH(QString, state);
  QFETCH(QString, error);
  QFETCH(QString, says);
  Rig rig;
  QVERIFY(rig.start());
  QTRY_VERIFY(rig.watch.lines.contains(mouseLine("Model=MODAL001")));
  rig.watch.lines.clear();
  std::unique_ptr<InstanceLock> window;
  if (state == "window open") QVERIFY(window = InstanceLock::TryAcquire(kSettingsLockName));
  if (state == "no mouse") rig.mouseBackend.plugged = false;

  QDBusPendingCall call = rig.client.asyncCall(mouseCall(method.toLatin1().constData(), args));
  QTRY_VERIFY_WITH_TIMEOUT(call.isFinished(), 10000);
  QVERIFY(call.isError());
  QCOMPARE(call.error().name(), "io.github.qorcfg51.Error." + error);
  QVERIFY2(call.error().message().contains(says), qPrintable(call.error().message()));
  QTest::qWait(50);
  QCOMPARE(rig.watch.lines, QStringList());
  QCOMPARE(rig.mouseBackend.firmware().firmware(0).command1().count, 0u);
  QCOMPARE(rig.pointer->calls(), std::vector<std::string>{});
  QCOMPARE(rig.watch.all(), QStringLiteral("Bindings={} CurrentProfile=1 Model=MODAL001 "
                                           "Present=true ProfileCount=5"));
}

// A switch whose upload fails midway is current and saved, as a focus switch would be; the
// caller learns that the mouse did not get it.
void MouseBusTest::aMouseThatStopsAnsweringIsNamed() {
  Rig rig;
  QVERIFY(rig.start());
  QTRY_VERIFY(rig.watch.lines.contains(mouseLine("Model=MODAL001")));
  rig.watch.lines.clear();
  rig.mouseBackend.stopped = true;

  QDBusPendingCall call = rig.client.asyncCall(mouseCall("SwitchProfile", {4u}));
  QTRY_VERIFY_WITH_TIMEOUT(call.isFinished(), 10000);
  QCOMPARE(call.error().name(), QString(mouse_error::kMouseStopped));
  QVERIFY2(call.error().message().contains("call Apply"), qPrintable(call.error().message()));
  QTRY_COMPARE(rig.watch.lines, QStringList{mouseLine("CurrentProfile=4")});

  rig.mouseBackend.stopped = false;  // reconnected: Apply brings it
  QDBusPendingCall applied = rig.client.asyncCall(mouseCall("Apply"));
  QTRY_VERIFY_WITH_TIMEOUT(applied.isFinished(), 10000);
  QVERIFY2(!applied.isError(), qPrintable(applied.error().message()));
  QCOMPARE(rig.locked(rig.uploaded), std::vector<int>({3, 3}));
}

// Bus calls and the focus switches share one queue: an upload runs alone, and of those asked
// for meanwhile only the last one runs; the others are answered Superseded.
void MouseBusTest::uploadsOneAtATimeAndTheLastRequestWins() {
  Rig rig;
  QVERIFY(rig.start());
  QTRY_VERIFY(rig.watch.lines.contains(mouseLine("Model=MODAL001")));
  rig.watch.lines.clear();
  QVERIFY(rig.registry.bindApp("steam_app_570", 5).isOk());
  rig.monitor.Notify(2, 0);  // as bind tells it
  QCOMPARE(rig.watch.all().left(26), QStringLiteral("Bindings={steam_app_570=5}"));
  rig.watch.lines.clear();
  FocusFollow follow(rig.registry, rig.registry, rig.monitor, rig.queue,
                     [&](int index, std::string& problem) { return rig.upload({index}, problem); });
  rig.hold(true);
  QDBusPendingCall first = rig.client.asyncCall(mouseCall("SwitchProfile", {2u}));
  QTRY_COMPARE(rig.locked(rig.started), 1);
  follow.FocusChanged({"steam_app_570", "steam_app_570"});  // waits behind the first
  QDBusPendingCall second = rig.client.asyncCall(mouseCall("SwitchProfile", {4u}));
  QTRY_COMPARE(rig.locked(rig.started), 1);
  QDBusPendingCall third = rig.client.asyncCall(mouseCall("SwitchProfile", {3u}));
  QTRY_VERIFY(second.isFinished());
  QCOMPARE(second.error().name(), QString(mouse_error::kSuperseded));
  QVERIFY(!first.isFinished());
  rig.hold(false);

  QTRY_VERIFY_WITH_TIMEOUT(first.isFinished() && third.isFinished(), 10000);
  QVERIFY2(!first.isError(), qPrintable(first.error().message()));
  QVERIFY2(!third.isError(), qPrintable(third.error().message()));
  QCOMPARE(rig.locked(rig.uploaded), std::vector<int>({1, 2}));  // the focus switch never ran
  QCOMPARE(rig.locked(rig.most), 1);
  QTRY_COMPARE(rig.watch.lines,
               QStringList({mouseLine("CurrentProfile=2"), mouseLine("CurrentProfile=3")}));
}

namespace {

// The members of one interface in an introspection text: "method Name in:u,s out:s",
// "property Name u read", ordered; argument names and annotations left out.
QStringList interfaceMembers(const QString& xml, const QString& interface) {
  QStringList members;
  QXmlStreamReader in(xml);
  bool inside = false;
  QString current;
  QStringList ins, outs;
  while (!in.atEnd()) {
    in.readNext();
    const auto a = in.attributes();
    if (in.isStartElement() && in.name() == u"interface") inside = a.value("name") == interface;
    if (!inside) continue;
    if (in.isStartElement() && (in.name() == u"method" || in.name() == u"signal")) {
      current = in.name().toString() + " " + a.value("name").toString();
      ins.clear();
      outs.clear();
    } else if (in.isStartElement() && in.name() == u"arg") {
      (a.value("direction") == u"in" ? ins : outs) << a.value("type").toString();
    } else if (in.isEndElement() && (in.name() == u"method" || in.name() == u"signal")) {
      members << current + " in:" + ins.join(",") + " out:" + outs.join(",");
    } else if (in.isStartElement() && in.name() == u"property") {
      members << "property " + a.value("name").toString() + " " + a.value("type").toString() + " " +
                     a.value("access").toString();
    }
  }
  members.sort();
  return members;
}

}  // namespace

// The file installed for other programs describes the object they find.
void MouseBusTest::introspectionIsTheInstalledInterface() {
  Rig rig;
  QVERIFY(rig.start());
  const QDBusReply<QString> live = rig.client.call(
      QDBusMessage::createMethodCall(kMonitorBusName, kMouseObjectPath,
                                     QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                     QStringLiteral("Introspect")),
      QDBus::BlockWithGui);
  QVERIFY(live.isValid());
  QFile file(QStringLiteral(QOR_MOUSE_INTERFACE_XML));
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QStringList installed =
      interfaceMembers(QString::fromUtf8(file.readAll()), kMouseInterface);
  QCOMPARE(installed.size(), 8);
  QCOMPARE(interfaceMembers(live.value(), kMouseInterface), installed);
}

void MouseBusTest::choosesWhereTheFocusIsLearnt_data() {
  QTest::addColumn<QString>("sessionType");
  QTest::addColumn<QString>("desktop");
  QTest::addColumn<bool>("wayland");
  QTest::addColumn<bool>("x11");
  QTest::addColumn<int>("way");
  const int x11 = int(FocusWay::X11), kwin = int(FocusWay::KWinScript),
            xwayland = int(FocusWay::XWayland), none = int(FocusWay::None);
  QTest::newRow("X11 session") << "x11"
                               << "GNOME" << false << true << x11;
  QTest::newRow("no session type, DISPLAY only") << ""
                                                 << "" << false << true << x11;
  QTest::newRow("Plasma on Wayland") << "wayland"
                                     << "KDE" << true << true << kwin;
  QTest::newRow("GNOME on Wayland") << "wayland"
                                    << "GNOME" << true << true << xwayland;
  QTest::newRow("Ubuntu's GNOME") << "wayland"
                                  << "ubuntu:GNOME" << true << true << xwayland;
  QTest::newRow("no session type, Wayland display") << ""
                                                    << "GNOME" << true << true << xwayland;
  QTest::newRow("GNOME without XWayland") << "wayland"
                                          << "GNOME" << true << false << none;
  QTest::newRow("GNOME-Flashback is not GNOME") << "wayland"
                                                << "GNOME-Flashback" << true << true << none;
  QTest::newRow("another Wayland desktop") << "wayland"
                                           << "sway" << true << true << none;
}

void MouseBusTest::choosesWhereTheFocusIsLearnt() {
  QFETCH(QString, sessionType);
  QFETCH(QString, desktop);
  QFETCH(bool, wayland);
  QFETCH(bool, x11);
  QFETCH(int, way);
  QCOMPARE(int(ChooseFocusWay({sessionType.toStdString(), desktop.toStdString(), wayland, x11})),
           way);
}

// The monitor program on GNOME under Wayland: X11 games under XWayland bring their profiles,
// and a Wayland window (XWayland's active window none) returns to the profile before them.
// Another program watches it all over the bus.
void MouseBusTest::followsX11WindowsOnGnomeWayland() {
  test::XvfbServer xwayland;
  if (xwayland.display().empty()) QSKIP("Xvfb is not installed");
  test::PrivateSessionBus daemon;
  QVERIFY(daemon.ok());
  test::TempDir home;
  {
    SqliteRegistry registry(home / "config/qorcfg51/registry.db", ":memory:");
    QVERIFY(registry.bindApp("steam_app_570", 3).isOk());
    QVERIFY(registry.bindApp("factorio", 2).isOk());
  }
  test::SimProcess sim(home / "sim", {});
  test::X11WindowManager mutter(xwayland.display());
  const xcb_window_t game = mutter.window(std::string("steam_app_570\0steam_app_570\0", 28));
  const xcb_window_t other = mutter.window(std::string("factorio\0factorio\0", 18));

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QORCFG51_PROGRAM_DIR", QString::fromStdString(stageDir().string()));
  env.insert("XDG_CONFIG_HOME", QString::fromStdString((home / "config").string()));
  env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.path().string()));
  env.insert("QORCFG51_SIM_DIR", QString::fromStdString((home / "sim").string()));
  env.insert("XDG_SESSION_TYPE", "wayland");
  env.insert("XDG_CURRENT_DESKTOP", "GNOME");
  env.insert("WAYLAND_DISPLAY", "wayland-qor-test");  // never reached: Qt runs offscreen
  env.insert("DISPLAY", QString::fromStdString(xwayland.display()));
  QProcess monitor;
  monitor.setProcessEnvironment(env);
  monitor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  monitor.start(QStringLiteral(QOR_MONITOR_PATH), QStringList{});
  QVERIFY(monitor.waitForStarted());
  QTRY_VERIFY_WITH_TIMEOUT(test::NameHasOwner(kMonitorBusName), 10000);

  BusConnections connections;
  PropertiesWatch watch(connections.open("watcher"));
  QVERIFY(watch.ok());
  QTRY_COMPARE_WITH_TIMEOUT(watch.all(),
                            QStringLiteral("Bindings={factorio=2,steam_app_570=3} "
                                           "CurrentProfile=1 Model=MODAL001 Present=true "
                                           "ProfileCount=5"),
                            10000);
  watch.lines.clear();

  mutter.activate(game);
  QTRY_COMPARE_WITH_TIMEOUT(watch.lines, QStringList{mouseLine("CurrentProfile=3")}, 10000);
  mutter.activate(other);
  QTRY_COMPARE_WITH_TIMEOUT(watch.lines.size(), 2, 10000);
  mutter.activate(XCB_WINDOW_NONE);  // a native Wayland window took the focus
  QTRY_COMPARE_WITH_TIMEOUT(watch.lines.size(), 3, 10000);
  QCOMPARE(watch.lines, QStringList({mouseLine("CurrentProfile=3"), mouseLine("CurrentProfile=2"),
                                     mouseLine("CurrentProfile=1")}));

  // What the manual page shows another program doing, with gdbus.
  const auto gdbus = [&](const QString& method, const QStringList& args) {
    QProcess p;
    p.start("gdbus",
            QStringList{"call", "--session", "--dest", kMonitorBusName, "--object-path",
                        kMouseObjectPath, "--method", QString(kMouseInterface) + "." + method} +
                args);
    p.waitForFinished(15000);
    return QString::number(p.exitCode()) + " " +
           QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
  };
  QCOMPARE(gdbus("SwitchProfile", {"4"}), QStringLiteral("0 ()"));
  QTRY_COMPARE(watch.lines.last(), mouseLine("CurrentProfile=4"));
  const QString refused = gdbus("ExportProfile", {"9", "json"});
  QVERIFY2(refused.startsWith("1 ") && refused.contains("io.github.qorcfg51.Error.InvalidProfile"),
           qPrintable(refused));
  QCOMPARE(monitor.state(), QProcess::Running);
  monitor.terminate();
  QVERIFY(monitor.waitForFinished());
}

}  // namespace qor

QTEST_MAIN(qor::MouseBusTest)
#include "mouse_bus_test.moc"
