// SPDX-License-Identifier: GPL-2.0-or-later
// The macro and key dialogs: results, texts, clamps, the capture through the hook provider
// (scripted, or the window's own keys), the grab released on every way out, and the names
// assistive technology reads.
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QtTest>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/gui/dialog_presenter.h"
#include "app/gui/frm_combo.h"
#include "app/gui/frm_creat.h"
#include "app/gui/frm_fire.h"
#include "app/gui/frm_message_dialog.h"
#include "app/gui/hook_choice.h"
#include "app/gui/macro_dialogs.h"
#include "macro/hook_library.h"
#include "macro/hook_script.h"
#include "platform/instance_lock.h"
#include "platform/linux/evdev_hook_router.h"
#include "protocol/key_code_table.h"
#include "test_support/temp_dir.h"
#include "widgets/bitmap_state_button.h"
#include "widgets/edit_boxes.h"
#include "widgets/label.h"
#include "widgets/text_button.h"

namespace qor {
namespace {

// Runs `act` on the dialog of type T once it is shown (modally, by the code under test).
template <typename T>
void whenShown(std::function<void(T&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* dialog = dynamic_cast<T*>(w);
      if (!dialog || !dialog->isVisible()) continue;
      timer->stop();
      timer->deleteLater();
      act(*dialog);
      return;
    }
  });
  timer->start();
}

template <typename T>
T* child(QWidget& dialog, const char* name) {
  T* found = dialog.findChild<T*>(name);
  if (!found) qFatal("no control %s", name);
  return found;
}

void click(QWidget& dialog, const char* name) {
  QTest::mouseClick(child<QWidget>(dialog, name), Qt::LeftButton);
}

QString accessibleName(QObject* object) {
  return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

// The provider every TuiHook of a test gets; reset between tests.
void useProvider(std::shared_ptr<HookProvider> provider) {
  SetHookProviderFactory([provider](HookProblem& problem) -> std::shared_ptr<HookProvider> {
    if (!provider) {
      problem.missing = "/dev/input/event*";
      problem.fix = "Permission denied.";
    }
    return provider;
  });
}

// A provider that is the evdev router with one keyboard (device 1) behind a device side that
// records grabs.
struct GrabRecorder : EvdevRouterIo, HookProvider {
  std::vector<std::string> log;
  EvdevHookRouter router{*this};
  explicit GrabRecorder(std::vector<uint16_t> held = {}) {
    router.addDevice(1, {true, false, true, std::move(held)});
  }
  bool setGrab(int device, bool grab) override {
    log.push_back((grab ? "grab " : "ungrab ") + std::to_string(device));
    return true;
  }
  void emitFrame(std::span<const input_event>) override {}
  void EnableKeyboardHook(TKeyboardHookCallback cb) override { router.EnableKeyboardHook(cb); }
  void DisableKeyboardHook() override { router.DisableKeyboardHook(); }
  void EnableMouseHook(TMouseHookCallback cb) override { router.EnableMouseHook(cb); }
  void DisableMouseHook() override { router.DisableMouseHook(); }
  bool IsKeyDown(uint32_t vk) const override { return router.IsKeyDown(vk); }
  int fd() const override { return -1; }
  void dispatch() override { router.flush(); }
  std::vector<std::string> UngrabbedKeyboards() const override {
    std::vector<std::string> names;
    for (int id : router.ungrabbedKeyboards()) names.push_back("keyboard " + std::to_string(id));
    return names;
  }
  std::vector<std::string> take() { return std::exchange(log, {}); }
};

}  // namespace

class MacroDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { useProvider(nullptr); }

  // ---- the name dialog ----

  void theNameDialogWritesTheEmptyMacroOfTheCutName() {
    test::TempDir dir;
    const QString folder = QString::fromStdString((dir.path() / "macros").string());
    const QString sixty = QString(50, 'm') + QString(10, 'x');
    whenShown<TFrmCreat>([&](TFrmCreat& d) {
      QCOMPARE(accessibleName(d.TextboxMacroName), QString("Name"));
      QCOMPARE(d.windowTitle(), QString("MACRO"));
      QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&d);
      QCOMPARE(window->role(), QAccessible::Dialog);
      QCOMPARE(window->text(QAccessible::Name), QString("MACRO"));
      QCOMPARE(accessibleName(child<QWidget>(d, "BSBTNCLOSE")), QString("Close"));
      QCOMPARE(accessibleName(child<QWidget>(d, "BTNCANCEL")), QString("CANCEL"));
      QTest::keyClicks(d.TextboxMacroName, sixty);  // the entry takes 50 units
      QTest::keyClick(d.TextboxMacroName, Qt::Key_Return);
    });
    QString name = "old";
    QCOMPARE(ShowCreateMacroDialog(name, folder), 1);
    QCOMPARE(name, QString(50, 'm'));
    const auto file = dir.path() / "macros" / (std::string(50, 'm') + ".macro");
    QVERIFY(std::filesystem::exists(file));
    QCOMPARE(std::filesystem::file_size(file), std::uintmax_t(892));
  }

  void theNameDialogRefusesWhatWouldBreakAndStaysOpen_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QString("   ");
    QTest::newRow("a slash") << QString("a/b");
  }
  void theNameDialogRefusesWhatWouldBreakAndStaysOpen() {
    QFETCH(QString, typed);
    test::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    QString problem;
    whenShown<TFrmCreat>([&](TFrmCreat& d) {
      d.TextboxMacroName->setText(typed);
      click(d, "BTNOK");
      QVERIFY(d.isVisible());
      problem = d.LabelProblem->text();
      click(d, "BTNCANCEL");
    });
    QString name;
    QCOMPARE(ShowCreateMacroDialog(name, folder), 2);
    QVERIFY(name.isEmpty());
    QVERIFY(!problem.isEmpty());
    QVERIFY(std::filesystem::is_empty(dir.path()));  // no ".macro", nothing else
  }

  void theNameDialogsCloseButtonCancels() {
    test::TempDir dir;
    whenShown<TFrmCreat>([&](TFrmCreat& d) {
      d.TextboxMacroName->setText("kept out");
      click(d, "BSBTNCLOSE");
    });
    QString name;
    QCOMPARE(ShowCreateMacroDialog(name, QString::fromStdString(dir.path().string())), 2);
    QVERIFY(name.isEmpty());
    QVERIFY(std::filesystem::is_empty(dir.path()));
  }

  void macroNamesAreCutWithoutSplittingACharacter() {
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");  // two units
    QCOMPARE(CutMacroName(QString(49, 'a') + clef), QString(49, 'a'));
    QCOMPARE(CutMacroName(QString(48, 'a') + clef + "b"), QString(48, 'a') + clef);
    QCOMPARE(CutMacroName("short"), QString("short"));
  }

  void everyDialogOpensCentredOnTheMainWindow() {
    QWidget main;
    main.setGeometry(100, 120, 492, 604);
    main.show();
    SetMainForm(&main);
    QList<QPoint> centres;
    auto note = [&](QWidget& d) {
      centres << d.geometry().center();
      QTest::keyClick(&d, Qt::Key_Escape);
    };
    whenShown<TFrmMessageDialog>([&](TFrmMessageDialog& d) { note(d); });
    ShowMessageDialog("", "", "");
    whenShown<TDlgLeaveMacroWithErrorsForm>([&](TDlgLeaveMacroWithErrorsForm& d) { note(d); });
    ShowLeaveMacroWithErrorsDialog("", "", "");
    whenShown<TFrmFire>([&](TFrmFire& d) { note(d); });
    TFIREKEYINFO fire{};
    ShowFireKeyDialog(fire);
    whenShown<TFrmCreat>([&](TFrmCreat& d) { note(d); });
    QString name;
    ShowCreateMacroDialog(name, "/nonexistent");
    whenShown<TFrmCombo>([&](TFrmCombo& d) {
      centres << d.geometry().center();
      click(d, "Button2");
    });
    TCOMBOKEYINFO combo{};
    ShowComboKeyDialog(combo);
    SetMainForm(nullptr);
    QCOMPARE(centres.size(), 5);
    for (const QPoint& c : centres) QVERIFY((c - main.geometry().center()).manhattanLength() <= 2);
  }

  // ---- the questions ----

  void theMessageDialogShowsTheCallersTextsAndAnswers_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << "BTNOK" << 1;
    QTest::newRow("CANCEL") << "BTNCANCEL" << 2;
    QTest::newRow("close") << "BSBTNCLOSE" << 2;
  }
  void theMessageDialogShowsTheCallersTextsAndAnswers() {
    QFETCH(QString, button);
    QFETCH(int, result);
    whenShown<TFrmMessageDialog>([&](TFrmMessageDialog& d) {
      QCOMPARE(d.LabelTitle->text(), QString("Delete"));
      QCOMPARE(d.LabelText->text(), QString("Delete the macro?"));
      QCOMPARE(d.LabelText1->text(), QString());
      QCOMPARE(d.windowTitle(), QString("Delete"));
      click(d, button.toUtf8().constData());
    });
    QCOMPARE(ShowMessageDialog("Delete", "Delete the macro?", ""), result);
  }

  void theMessageDialogGrowsWithLongTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("text1");
    QTest::newRow("no keyboard") << "No keyboard can be recorded here."
                                 << "No keyboard or mouse is connected (or udev is not running); "
                                    "connect one.";
    QTest::newRow("macro files not written")
        << "The macro files could not be written:"
        << "/home/someone/Documents/Tessaly Gaming Mouse/Macros/a macro with a long name.macro: "
           "No space left on device";
    QTest::newRow("both long") << QString("A first text that runs on and on. ").repeated(6)
                               << QString("A second text that runs on as well. ").repeated(6);
    QTest::newRow("beyond the limit") << QString("Far too long. ").repeated(300) << "last";
  }
  void theMessageDialogGrowsWithLongTexts() {
    QFETCH(QString, text);
    QFETCH(QString, text1);
    TFrmMessageDialog d(nullptr);
    d.SetTexts("Warning", text, text1);
    auto* ok = d.findChild<QWidget*>("BTNOK");
    const bool limited = d.height() == TFrmMessageDialog::kHeight + UiDialogScene::kMaxExtraHeight;
    for (UiLabel* label : {d.LabelText, d.LabelText1}) {
      const QRect needed =
          QFontMetrics(label->font())
              .boundingRect(QRect(0, 0, label->width(), 100000),
                            int(label->alignment()) | Qt::TextWordWrap, label->text());
      if (!limited || label == d.LabelText1)
        QVERIFY2(needed.height() <= label->height(), qPrintable(label->objectName()));
      QVERIFY(needed.width() <= label->width());
      QVERIFY(d.rect().contains(label->geometry()));
    }
    QVERIFY(d.LabelText1->geometry().top() > d.LabelText->geometry().bottom());
    QVERIFY(ok->geometry().top() > d.LabelText1->geometry().bottom());
    QVERIFY(d.rect().contains(ok->geometry()));
    QVERIFY(d.height() > TFrmMessageDialog::kHeight);

    // Short texts again: the window as designed.
    d.SetTexts("Delete", "Delete the macro?", "");
    QCOMPARE(d.size(), QSize(TFrmMessageDialog::kWidth, TFrmMessageDialog::kHeight));
    QCOMPARE(d.LabelText1->geometry(), TFrmMessageDialog::kText1Box);
    QCOMPARE(ok->geometry().bottom(), TFrmMessageDialog::kHeight - 44 + 28 - 1);
  }

  void theLeaveQuestionAsksItselfAndOnlyOKGoesOn_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << "Button1" << 1;
    QTest::newRow("CANCEL") << "Button2" << 2;
    QTest::newRow("close") << "BitmapStateButton1" << 2;
    QTest::newRow("Escape") << "" << 2;
    QTest::newRow("Enter") << "Enter" << 1;
  }
  void theLeaveQuestionAsksItselfAndOnlyOKGoesOn() {
    QFETCH(QString, button);
    QFETCH(int, result);
    whenShown<TDlgLeaveMacroWithErrorsForm>([&](TDlgLeaveMacroWithErrorsForm& d) {
      QCOMPARE(d.LabelQuestion->text(),
               QString("Unreasonable macro detected , Do you wish to continue?"));
      QVERIFY(d.LabelQuestion->isVisible());
      QVERIFY(!d.LabelTitle->isVisible());
      QCOMPARE(d.windowTitle(), QString("Warning"));
      if (button.isEmpty())
        QTest::keyClick(&d, Qt::Key_Escape);
      else if (button == "Enter")
        QTest::keyClick(&d, Qt::Key_Return);
      else
        click(d, button.toUtf8().constData());
    });
    QCOMPARE(ShowLeaveMacroWithErrorsDialog("", "", ""), result);
  }

  // ---- rapid fire ----

  void theFireDialogOpensWithinItsLimits_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("shownCount");
    QTest::addColumn<int>("shownDelay");
    QTest::newRow("never set: the defaults") << 0 << 500 << 2 << 60;
    QTest::newRow("as stored") << 5 << 100 << 5 << 100;
    QTest::newRow("delay above 255") << 5 << 4000 << 5 << 255;
    QTest::newRow("count above 255, delay 0") << 300 << 0 << 255 << 1;
  }
  void theFireDialogOpensWithinItsLimits() {
    QFETCH(int, count);
    QFETCH(int, delay);
    QFETCH(int, shownCount);
    QFETCH(int, shownDelay);
    int seenCount = 0, seenDelay = 0;
    whenShown<TFrmFire>([&](TFrmFire& d) {
      seenCount = d.NumBoxFire->Value();
      seenDelay = d.NumboxDelay->Value();
      click(d, "BSBTNOK");
    });
    TFIREKEYINFO fire{uint16_t(count), uint16_t(delay)};
    QCOMPARE(ShowFireKeyDialog(fire), 1);
    QCOMPARE(seenCount, shownCount);
    QCOMPARE(seenDelay, shownDelay);
    QCOMPARE(int(fire.nLoopCount), shownCount);  // stored as shown
    QCOMPARE(int(fire.DelyValue), shownDelay);
  }

  void theFireDialogTakesTypedValuesAndCancelKeepsTheRecord() {
    whenShown<TFrmFire>([&](TFrmFire& d) {
      QCOMPARE(accessibleName(d.NumBoxFire), QString("Fire:"));
      QCOMPARE(accessibleName(d.NumboxDelay), QString("Delay:"));
      QCOMPARE(d.windowTitle(), QString("Fire Settings"));
      QVERIFY(d.NumBoxFire->hasFocus());
      QTest::keyClicks(d.NumBoxFire, "7");  // the value is selected: typed over
      QTest::keyClick(&d, Qt::Key_Tab);
      QTest::keyClicks(d.NumboxDelay, "999");  // past the maximum: refused beyond 255
      QTest::keyClick(d.NumboxDelay, Qt::Key_Return);
    });
    TFIREKEYINFO fire{5, 100};
    QCOMPARE(ShowFireKeyDialog(fire), 1);
    QCOMPARE(int(fire.nLoopCount), 7);
    QVERIFY(fire.DelyValue >= 1 && fire.DelyValue <= 255);

    for (const char* way : {"BSBTNCANCEL", "BtnClose"}) {
      whenShown<TFrmFire>([&](TFrmFire& d) {
        d.NumBoxFire->SetValue(9);
        click(d, way);
      });
      TFIREKEYINFO kept{5, 100};
      QCOMPARE(ShowFireKeyDialog(kept), 2);
      QCOMPARE(int(kept.nLoopCount), 5);
      QCOMPARE(int(kept.DelyValue), 100);
    }
  }

  // ---- combinations ----

  void theStoredCombinationIsShownInItsOwnOrder() {
    QCOMPARE(StoredComboText({65, 0, 0, 0, 3}), QString("Alt+Ctrl+A"));
    QCOMPARE(StoredComboText({65, 0, 66, 0, 8 | 4}), QString("Shift+WIN+A+B"));
    QCOMPARE(StoredComboText({0, 0, 66, 0, 2}), QString());
  }

  void theCombinationDialogCapturesFromTheKeyboard_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key1");
    QTest::addColumn<int>("key2");
    QTest::addColumn<int>("modifier");
    QTest::newRow("Ctrl+A") << "0 key VK_LCONTROL down\n50 key VK_A down\n60 key VK_A up\n"
                            << "Ctrl+A" << 65 << 0 << 2;
    QTest::newRow("A and B within 100 ms, then C: the last wins")
        << "0 key VK_LCONTROL down\n50 key VK_A down\n100 key VK_B down\n400 key VK_C down\n"
        << "Ctrl+C" << 67 << 0 << 2;
    QTest::newRow("two keys") << "0 key VK_LCONTROL down\n50 key VK_A down\n100 key VK_B down\n"
                              << "Ctrl+A+B" << 65 << 66 << 2;
    QTest::newRow("Enter and Escape are keys too")
        << "0 key VK_RETURN down\n200 key VK_ESCAPE down\n"
        << "Esc" << 27 << 0 << 0;
  }
  void theCombinationDialogCapturesFromTheKeyboard() {
    QFETCH(QString, script);
    QFETCH(QString, text);
    QFETCH(int, key1);
    QFETCH(int, key2);
    QFETCH(int, modifier);
    std::string error;
    auto events = ParseHookScript(script.toStdString(), error);
    QVERIFY2(events, error.c_str());
    auto provider = std::make_shared<ScriptedHookProvider>(*events);
    useProvider(provider);
    QString shown;
    bool okEnabled = false;
    whenShown<TFrmCombo>([&](TFrmCombo& d) {
      QTRY_COMPARE(provider->Pending(), std::size_t(0));
      shown = d.TextCombo->text();
      okEnabled = child<QWidget>(d, "Button1")->isEnabled();
      click(d, "Button1");
    });
    TCOMBOKEYINFO combo{};
    QCOMPARE(ShowComboKeyDialog(combo), 1);
    const std::string key1Name = GetKeyDescriptionByVK(uint32_t(key1), 0);
    QCOMPARE(shown, text.replace("Esc", QString::fromStdString(key1Name)));
    QVERIFY(okEnabled);
    QCOMPARE(int(combo.nKeyValue1), key1);
    QCOMPARE(int(combo.nKeyValue2), key2);
    QCOMPARE(int(combo.nModifier), modifier);
    QVERIFY(!provider->KeyboardHookEnabled());  // the capture ended with the window
  }

  void aModifierAloneAndAKeyTheMouseCannotSendAreNotTaken() {
    std::string error;
    auto events = ParseHookScript(
        "0 key VK_LSHIFT down\n10 key VK_LSHIFT up\n500 key VK_BROWSER_BACK down\n", error);
    QVERIFY2(events, error.c_str());
    auto provider = std::make_shared<ScriptedHookProvider>(*events);
    useProvider(provider);
    whenShown<TFrmCombo>([&](TFrmCombo& d) {
      QTRY_COMPARE(provider->Pending(), std::size_t(0));
      QVERIFY(!d.LabelState->text().isEmpty());
      QVERIFY(!child<QWidget>(d, "Button1")->isEnabled());  // nothing stored, nothing taken
      click(d, "Button2");
    });
    TCOMBOKEYINFO combo{};
    QCOMPARE(ShowComboKeyDialog(combo), 2);
    QCOMPARE(int(combo.nKeyValue1), 0);
    // The Shift events were not swallowed: they reach the focused window.
    QCOMPARE(provider->Played()[0].outcome, HookOutcome::PassedOn);
    QCOMPARE(provider->Played()[2].outcome, HookOutcome::Swallowed);
  }

  void theStoredCombinationOpensTheDialogAndCancelReturnsTwo() {
    useProvider(std::make_shared<ScriptedHookProvider>());
    whenShown<TFrmCombo>([&](TFrmCombo& d) {
      QCOMPARE(d.TextCombo->text(), QString("Alt+Ctrl+A"));
      QCOMPARE(accessibleName(d.TextCombo), QString("INPUT:"));
      QCOMPARE(d.windowTitle(), QString("Combo Keys"));
      QCOMPARE(accessibleName(child<QWidget>(d, "Button2")), QString("CANCEL"));
      QCOMPARE(accessibleName(child<QWidget>(d, "BtnClose")), QString("Close"));
      QVERIFY(child<QWidget>(d, "Button1")->isEnabled());
      // Keys do not act on the window: Escape is no cancel here.
      QTest::keyClick(&d, Qt::Key_Escape);
      QVERIFY(d.isVisible());
      click(d, "BtnClose");
    });
    TCOMBOKEYINFO combo{65, 0, 0, 0, 3};
    QCOMPARE(ShowComboKeyDialog(combo), 2);
  }

  void withoutTheHookTheWindowsOwnKeysAreCaptured() {
    useProvider(nullptr);  // no /dev/input: the window's keys stand in
    whenShown<TFrmCombo>([&](TFrmCombo& d) {
      QVERIFY(d.UsesWindowKeys());
      auto send = [&](QEvent::Type type, int qtKey, quint32 linuxCode, ulong time) {
        QKeyEvent e(type, qtKey, Qt::NoModifier, linuxCode + 8, 0, 0);
        e.setTimestamp(time);
        QApplication::sendEvent(&d, &e);
      };
      send(QEvent::KeyPress, Qt::Key_Control, 29, 1000);  // left Ctrl
      send(QEvent::KeyPress, Qt::Key_A, 30, 1500);
      send(QEvent::KeyRelease, Qt::Key_A, 30, 1600);
      send(QEvent::KeyRelease, Qt::Key_Control, 29, 1700);
      QCOMPARE(d.TextCombo->text(), QString("Ctrl+A"));
      click(d, "Button1");
    });
    TCOMBOKEYINFO combo{};
    QCOMPARE(ShowComboKeyDialog(combo), 1);
    QCOMPARE(int(combo.nKeyValue1), 65);
    QCOMPARE(int(combo.nModifier), 2);
  }

  void aHookScriptNamedByTheEnvironmentIsTheKeyboard() {
    test::TempDir dir;
    const auto script = dir.path() / "combo.hook";
    std::ofstream(script) << "0 key VK_LMENU down\n20 key VK_F5 down\n40 key VK_F5 up\n";
    qputenv("QORCFG51_HOOK_SCRIPT", QByteArray::fromStdString(script.string()));
    SetHookProviderFactory(HookProviderFromEnvironment());
    whenShown<TFrmCombo>([&](TFrmCombo& d) {
      QVERIFY(!d.UsesWindowKeys());
      QTRY_VERIFY(child<QWidget>(d, "Button1")->isEnabled());
      click(d, "Button1");
    });
    TCOMBOKEYINFO combo{};
    QCOMPARE(ShowComboKeyDialog(combo), 1);
    QCOMPARE(int(combo.nKeyValue1), 116);  // F5
    QCOMPARE(int(combo.nModifier), 1);     // Alt

    // A malformed script (or one that ends in the middle of a combination) is no crash: the
    // line is named on stderr and the window's own keys stand in.
    std::ofstream(script) << "0 key VK_LMENU down\n20 key NOSUCHKEY down\n";
    SetHookProviderFactory(HookProviderFromEnvironment());
    HookProblem problem;
    QVERIFY(!LoadHookProvider(problem));
    QVERIFY(QString::fromStdString(problem.fix).contains("2"));
    whenShown<TFrmCombo>([&](TFrmCombo& d) {
      QVERIFY(d.UsesWindowKeys());
      click(d, "Button2");
    });
    QCOMPARE(ShowComboKeyDialog(combo), 2);
    qunsetenv("QORCFG51_HOOK_SCRIPT");
  }

  void theKeyboardsAreLetGoOnEveryWayOut_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("OK") << "Button1";
    QTest::newRow("CANCEL") << "Button2";
    QTest::newRow("close button") << "BtnClose";
    QTest::newRow("window closed") << "close";
    QTest::newRow("window destroyed") << "destroy";
  }
  void theKeyboardsAreLetGoOnEveryWayOut() {
    QFETCH(QString, way);
    auto provider = std::make_shared<GrabRecorder>();
    useProvider(provider);
    auto* dialog = new TFrmCombo(nullptr);
    dialog->SetComboKey({65, 0, 0, 0, 2});
    dialog->show();
    QCOMPARE(provider->take(), std::vector<std::string>{"grab 1"});
    if (way == "destroy")
      delete dialog;
    else if (way == "close")
      dialog->close();
    else
      click(*dialog, way.toUtf8().constData());
    QCOMPARE(provider->take(), std::vector<std::string>{"ungrab 1"});
    if (way != "destroy") delete dialog;
    QVERIFY(provider->take().empty());
  }

  void aSignalEndsTheProgramThroughItsEventLoops() {
    // Ending every event loop is what lets an open dialog let go of the keyboards; the
    // program then ends normally instead of being killed by the signal.
    test::TempDir home;
    std::filesystem::create_directories(home.path() / "run" / "sim");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    // Under the sanitizers the exit status is what is checked here, not the exit's leaks.
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR", "XDG_RUNTIME_DIR"})
      env.insert(name, QString::fromStdString((home.path() / "run").string()));
    env.insert("QORCFG51_SIM_DIR", QString::fromStdString((home.path() / "run" / "sim").string()));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QOR_GUI_PATH, {});
    QVERIFY(program.waitForStarted());
    const auto lock = home.path() / "run" / "TQorCfg51Main.lock";
    QTRY_VERIFY_WITH_TIMEOUT(!InstanceLock::TryAcquireFile(lock), 10000);
    QTest::qWait(200);  // past the installation of the handler
    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 128 + SIGTERM);
  }

  void aHeldKeyDelaysTheGrabAndAKeyboardLeftOutIsToldOnce() {
    auto provider = std::make_shared<GrabRecorder>(std::vector<uint16_t>{30});  // A held
    provider->router.addDevice(2, {true, false, false, {}});  // cannot be passed on
    useProvider(provider);
    TFrmCombo dialog(nullptr);
    dialog.show();
    QVERIFY(provider->take().empty());  // not while A is down
    // Keyboard 1 only waits; keyboard 2 stays out, which the window tells.
    QCOMPARE(provider->router.ungrabbedKeyboards(), std::vector<int>{2});
    QVERIFY(dialog.LabelState->text().contains("keyboard 2"));
    QCOMPARE(dialog.LabelState->text().count("keyboard 2"), 1);
    input_event up{};
    up.type = EV_KEY;
    up.code = 30;
    provider->router.feed(1, up);
    input_event syn{};
    provider->router.feed(1, syn);
    provider->router.flush();
    QCOMPARE(provider->take(), std::vector<std::string>{"grab 1"});
    dialog.hide();
  }
};

}  // namespace qor

QTEST_MAIN(qor::MacroDialogsTest)
#include "macro_dialogs_test.moc"
