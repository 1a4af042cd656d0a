// SPDX-License-Identifier: GPL-2.0-or-later
// The macro manager: recording through a scripted keyboard, the live rows, the delay box,
// commands on macros whose delays are hidden, names, and what ShowMacroManager hands back and
// writes.
#include <QAccessible>
#include <QApplication>
#include <QtTest>
#include <deque>
#include <filesystem>
#include <fstream>

#include "app/gui/frm_macro.h"
#include "app/gui/macro_dialogs.h"
#include "macro/hook_library.h"
#include "macro/hook_script.h"
#include "macro/macro_files.h"
#include "test_support/temp_dir.h"
#include "widgets/choice_buttons.h"
#include "widgets/edit_boxes.h"
#include "widgets/function_menu.h"
#include "widgets/label.h"
#include "widgets/list_box.h"
#include "widgets/menu_box.h"
#include "widgets/text_button.h"

namespace qor {
namespace {

constexpr uint32_t VK_A = 0x41, VK_B = 0x42;

// Answers the macro dialogs from a script and records the texts it was shown.
class ScriptedMacroDialogs final : public MacroDialogPresenter {
 public:
  ScriptedMacroDialogs() { UseMacroDialogPresenter(this); }
  ~ScriptedMacroDialogs() override { UseMacroDialogPresenter(nullptr); }

  int ShowCreateMacroDialog(QString& AMacroName, const QString&) override {
    AMacroName = std::exchange(name, {});
    return AMacroName.isEmpty() ? 2 : 1;
  }
  int ShowMessageDialog(const QString& ATitle, const QString& AText, const QString&) override {
    messages.push_back(ATitle + ": " + AText);
    return next();
  }
  int ShowLeaveMacroWithErrorsDialog(const QString&, const QString&, const QString&) override {
    messages.push_back("leave with errors");
    return next();
  }
  int ShowComboKeyDialog(TCOMBOKEYINFO&) override { return 2; }
  int ShowFireKeyDialog(TFIREKEYINFO&) override { return 2; }

  QString name;             // the next name dialog's answer (empty: cancelled)
  std::deque<int> answers;  // the next questions' answers (none left: OK)
  std::vector<QString> messages;

 private:
  int next() {
    if (answers.empty()) return 1;
    const int a = answers.front();
    answers.pop_front();
    return a;
  }
};

TMACROKEYINFO macroOf(const std::u16string& name, std::vector<TMACROKEY> actions,
                      uint16_t autoDelay = 1) {
  TMACROKEYINFO m{};
  SetMacroName(m, name);
  for (std::size_t i = 0; i < actions.size(); ++i) m.MacroList[i] = actions[i];
  m.MacroListCount = int(actions.size());
  m.nAutoAddDelay = autoDelay;
  return m;
}

TMACROKEY key(uint8_t vk, uint16_t state) {
  return TMACROKEY{4, state, vk, 0};
}
TMACROKEY delay(uint16_t ms) {
  return TMACROKEY{6, 0, uint8_t(ms & 0xFF), uint8_t(ms >> 8)};
}

QStringList rowTexts(UiListBox& list) {
  QStringList texts;
  for (int i = 0; i < list.Count(); ++i) texts << list.Row(i)->RowText();
  return texts;
}

// A manager window holding `macros`, the first one current.
std::unique_ptr<TFrmMacro> managerOf(std::vector<TMACROKEYINFO> macros) {
  auto form = std::make_unique<TFrmMacro>(nullptr);
  TMACROKEYINFOLIST list{};
  for (const TMACROKEYINFO& m : macros) list.MacroInfos[list.nMacroInfoCount++] = m;
  form->FMacroClass->SetMacroKeyInfoList(list);
  form->DrawMacroList();
  return form;
}

TMACROKEYINFO current(TFrmMacro& form) {
  TMACROKEYINFO m{};
  form.FMacroClass->GetCurrentMacroKeyInfo(m);
  return m;
}

// Runs `act` on the shown manager once ShowMacroManager has opened it.
void whenManagerShown(std::function<void(TFrmMacro&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* form = dynamic_cast<TFrmMacro*>(w); form && form->isVisible()) {
        timer->stop();
        timer->deleteLater();
        act(*form);
        return;
      }
  });
  timer->start();
}

// Presses and releases the pointer at `at` in `widget` through the window system, as a user's click
// reaches a window (QTest's widget overloads deliver past a modal window's blocking).
void clickThroughWindow(QWidget& widget, const QPoint& at, Qt::MouseButton button) {
  QWindow* window = widget.window()->windowHandle();
  QVERIFY(window);
  const QPoint local = window->mapFromGlobal(widget.mapToGlobal(at));
  QTest::mouseMove(window, local);
  QTest::mouseClick(window, button, {}, local);
}

// Moves the pointer onto row `index` of the menu's open top level, checks that the row is lit,
// and clicks it, all through the level's window.
void clickMenuRow(UiMenuEx& menu, int index) {
  TuiMenuBox* box = menu.OpenBox(menu.Items());
  QVERIFY(box && box->windowHandle());
  TuiMenuBoxItem* row = box->Row(index);
  QVERIFY(row);
  QWindow* window = box->windowHandle();
  const QPoint at = window->mapFromGlobal(row->mapToGlobal(row->rect().center()));
  QTest::mouseMove(window, at);
  QCOMPARE(box->HotRow(), index);
  QTest::mouseClick(window, Qt::LeftButton, {}, at);
  QVERIFY(!menu.IsMenuOpen());
}

}  // namespace

class MacroManagerTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    provider = std::make_shared<ScriptedHookProvider>();
    std::shared_ptr<ScriptedHookProvider> p = provider;
    SetHookProviderFactory([p](HookProblem&) { return p; });
  }

  void recordingShowsLiveRowsAndConvertsAtStop() {
    ScriptedMacroDialogs dialogs;
    auto form = managerOf({macroOf(u"m", {key('X', 1), key('X', 0)})});
    form->BtnMacroStart->click();
    QVERIFY(form->Recording());
    QCOMPARE(form->ListBoxMacroKey->Count(), 0);
    QVERIFY(form->BtnOK->isEnabled());  // OK and CANCEL stay usable
    QVERIFY(!form->ListBoxMacroList->isEnabled());
    provider->Append({ScriptedKey(1000, VK_A, true), ScriptedKey(1500, VK_A, true),
                      ScriptedKey(1600, VK_A, false), ScriptedKey(1650, VK_B, true),
                      ScriptedKey(1653, VK_B, false)});
    provider->dispatch();
    QCOMPARE(rowTexts(*form->ListBoxMacroKey),
             QStringList({"A Down", "Delay 600 ms", "A Up", "Delay 50 ms", "B Down", "Delay 3 ms",
                          "B Up"}));
    form->BtnMacroStop->click();
    QVERIFY(!form->Recording());
    QVERIFY(!provider->KeyboardHookEnabled());
    // The 3 ms pause is stored as 10 ms.
    const TMACROKEYINFO m = current(*form);
    QCOMPARE(m.MacroListCount, 7);
    QCOMPARE(m.MacroList[5].VALUE1, 10);
    QCOMPARE(m.nAutoAddDelay, 1);
    QCOMPARE(rowTexts(*form->ListBoxMacroKey).at(5), QString("Delay 10 ms"));
    QCOMPARE(form->LabelAllDelayTime->text(), QString("660"));
    QVERIFY(form->ListBoxMacroList->isEnabled());
    QVERIFY(!form->BtnMacroStop->isEnabled());
  }

  void recordingWithoutDelaysAndWithDefaultDelay_data() {
    QTest::addColumn<bool>("autoDelay");
    QTest::addColumn<bool>("customDelay");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("delays off") << false << false << QStringList({"A Down", "A Up"});
    QTest::newRow("default 500") << true << true << QStringList({"A Down", "Delay 500 ms", "A Up"});
  }
  void recordingWithoutDelaysAndWithDefaultDelay() {
    QFETCH(bool, autoDelay);
    QFETCH(bool, customDelay);
    QFETCH(QStringList, rows);
    ScriptedMacroDialogs dialogs;
    auto form = managerOf({macroOf(u"m", {})});
    if (!autoDelay) form->BtnAutoDelay->click();
    if (customDelay) {
      form->BtnCustomDelay->click();
      QVERIFY(form->NumBoxDelay->isEnabled());
      form->NumBoxDelay->SetValue(500);
    }
    form->BtnMacroStart->click();
    provider->Append({ScriptedKey(1000, VK_A, true), ScriptedKey(1030, VK_A, false)});
    provider->dispatch();
    form->BtnMacroStop->click();
    QCOMPARE(rowTexts(*form->ListBoxMacroKey), rows);
    QCOMPARE(current(*form).nAutoAddDelay, uint16_t(autoDelay ? 1 : 0));
  }

  // A user outside the group "input": the keys typed into the manager are recorded, with
  // their delays, and the manager says so beside its options.
  void withoutTheKeyboardsTheWindowsOwnKeysAreRecorded() {
    SetHookProviderFactory([](HookProblem& problem) -> std::shared_ptr<HookProvider> {
      problem.missing = "/dev/input/event*";
      problem.fix =
          "Permission denied: add yourself to the group \"input\" (sudo usermod -aG input $USER) "
          "and log in again.";
      return nullptr;
    });
    ScriptedMacroDialogs dialogs;
    auto form = managerOf({macroOf(u"m", {key('X', 1), key('X', 0)})});
    QVERIFY(form->RecordsWindowKeysOnly());
    QVERIFY(!form->LabelHookNote->isHidden());
    QVERIFY(form->LabelHookNote->text().startsWith(
        "Only the keys you type into this window are recorded."));
    QVERIFY(form->LabelHookNote->text().contains("sudo usermod -aG input $USER"));
    form->BtnMacroStart->click();
    QVERIFY(form->Recording());
    // X11 key codes are the Linux ones + 8: A is 38, B is 56.
    const auto type = [&](QEvent::Type type, int key, quint32 x11Code, ulong ms) {
      QKeyEvent e(type, key, Qt::NoModifier, x11Code, 0, 0);
      e.setTimestamp(ms);
      QApplication::sendEvent(form.get(), &e);
    };
    type(QEvent::KeyPress, Qt::Key_A, 38, 1000);
    type(QEvent::KeyRelease, Qt::Key_A, 38, 1120);
    type(QEvent::KeyPress, Qt::Key_B, 56, 1200);
    type(QEvent::KeyRelease, Qt::Key_B, 56, 1203);
    form->BtnMacroStop->click();
    QVERIFY(!form->Recording());
    QCOMPARE(rowTexts(*form->ListBoxMacroKey),
             QStringList({"A Down", "Delay 120 ms", "A Up", "Delay 80 ms", "B Down", "Delay 10 ms",
                          "B Up"}));
    QCOMPARE(current(*form).MacroListCount, 7);
    QVERIFY(dialogs.messages.empty());
    // Once the recording stopped, keys act on the window again and record nothing.
    type(QEvent::KeyPress, Qt::Key_A, 38, 2000);
    QCOMPARE(current(*form).MacroListCount, 7);
  }

  void delayBoxClampsOnEnterAndDropsOnFocusLoss() {
    ScriptedMacroDialogs dialogs;
    auto form = managerOf({macroOf(u"m", {key('A', 1), delay(120), key('A', 0)})});
    form->show();
    QApplication::setActiveWindow(form.get());
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    UiListBox& list = *form->ListBoxMacroKey;
    list.SetItemIndex(0);
    list.OnDblClick(list);  // a key row: nothing opens
    auto* box = UiListBox::FindBinding<UiSpinBox>(*list.Row(1), "DELAYEDIT");
    QVERIFY(!box->isVisible());
    list.SetItemIndex(1);
    list.OnDblClick(list);
    QVERIFY(box->isVisible());
    QCOMPARE(box->Value(), 120);
    box->selectAll();
    QTest::keyClicks(box, "3");
    QTest::keyClick(box, Qt::Key_Return);
    QTRY_COMPARE(rowTexts(list).at(1), QString("Delay 10 ms"));
    QCOMPARE(current(*form).MacroList[1].VALUE1, 10);
    QCOMPARE(list.ItemIndex(), 1);

    // Focus loss hides the box without taking its value.
    box = UiListBox::FindBinding<UiSpinBox>(*list.Row(1), "DELAYEDIT");
    list.OnDblClick(list);
    box->SetValue(999);
    box->OnKillFocus(*box);
    QVERIFY(!box->isVisible());
    QCOMPARE(current(*form).MacroList[1].VALUE1, 10);
  }

  void commandsActOnTheRowsActionWhenDelaysAreHidden() {
    ScriptedMacroDialogs dialogs;
    // Recorded without delays: the delay between the keys has no row.
    auto form = managerOf({macroOf(u"m", {key('A', 1), delay(40), key('A', 0)}, 0)});
    UiListBox& list = *form->ListBoxMacroKey;
    QCOMPARE(rowTexts(list), QStringList({"A Down", "A Up"}));
    list.SetItemIndex(1);
    QCOMPARE(form->ActionOfRow(1), 2);
    form->uiMenuMacroListItemsClick(2);  // Delete
    const TMACROKEYINFO m = current(*form);
    QCOMPARE(m.MacroListCount, 2);
    QCOMPARE(m.MacroList[1].nKeyType, 6);  // the delay stays; A up went
    QCOMPARE(rowTexts(list), QStringList({"A Down"}));
    // A down alone is a key left pressed: the macro shows its error icon.
    QVERIFY(UiListBox::FindBinding<UiLabel>(*form->ListBoxMacroList->Row(0), "ErrorIcon")
                ->isVisibleTo(form.get()));
  }

  void namesDeleteAndLimits() {
    ScriptedMacroDialogs dialogs;
    // Two stored macros share a name: Delete removes the selected one by its position.
    auto form =
        managerOf({macroOf(u"same", {}), macroOf(u"same", {key('A', 1)}), macroOf(u"other", {})});
    form->ListBoxMacroList->SetItemIndex(1);
    form->BSBTNDELETEMACROClick();
    QCOMPARE(form->FMacroClass->MacroListCount(), 2);
    TMACROKEYINFO first{};
    form->FMacroClass->GetMacroKeyInfoByIndex(0, first);
    QCOMPARE(first.MacroListCount, 0);

    // Renaming onto another macro's name is refused.
    form->ListBoxMacroList->SetItemIndex(1);
    form->uiMenuMacroItemsClick(1);
    QVERIFY(form->TextBoxSelectedMacroName->isEnabled());
    form->TextBoxSelectedMacroName->setText("same");
    form->TextBoxSelectedMacroName->OnEnter(*form->TextBoxSelectedMacroName);
    QCOMPARE(dialogs.messages.back(), QString("Warning: A macro with this name already exists."));
    QCOMPARE(rowTexts(*form->ListBoxMacroList), QStringList({"same", "other"}));
    QCOMPARE(form->TextBoxSelectedMacroName->text(), QString("other"));

    // New with a name already shown selects that macro.
    dialogs.name = "same";
    form->BSBTNNEWMACROClick();
    QCOMPARE(form->FMacroClass->MacroListCount(), 2);
    QCOMPARE(form->ListBoxMacroList->ItemIndex(), 0);

    // Delete cancelled keeps the macro; deleting the rest empties both lists.
    dialogs.answers = {2};
    form->BSBTNDELETEMACROClick();
    QCOMPARE(form->FMacroClass->MacroListCount(), 2);
    form->BSBTNDELETEMACROClick();
    form->BSBTNDELETEMACROClick();
    QCOMPARE(form->ListBoxMacroList->Count(), 0);
    QCOMPARE(form->ListBoxMacroKey->Count(), 0);
    QVERIFY(!form->BSBTNDELETEMACRO->isEnabled());

    std::vector<TMACROKEYINFO> full;
    for (int i = 0; i < 21; ++i) full.push_back(macroOf(u"m" + std::u16string(1, u'a' + i), {}));
    auto fullForm = managerOf(full);
    QCOMPARE(fullForm->ListBoxMacroList->Count(), 21);
    dialogs.name = "new";
    fullForm->BSBTNNEWMACROClick();
    QCOMPARE(dialogs.messages.back(),
             QString("Warning: You can create macros shall not exceed 20 ."));
    QCOMPARE(fullForm->FMacroClass->MacroListCount(), 21);
  }

  void loopSwitchStoresOneOrZero() {
    ScriptedMacroDialogs dialogs;
    auto form = managerOf({macroOf(u"m", {})});
    form->BtnMacroLoop->click();
    QVERIFY(form->BoxMacroLoop->isEnabled());
    QCOMPARE(current(*form).nLoopCount, 1);
    form->BoxMacroLoop->SetValue(7);
    QCOMPARE(current(*form).nLoopCount, 7);
    form->BtnMacroLoop->click();
    QCOMPARE(current(*form).nLoopCount, 0);
    QVERIFY(!form->BoxMacroLoop->isEnabled());
  }

  void showMacroManagerHandsTheListBackAndWritesFiles() {
    ScriptedMacroDialogs dialogs;
    test::TempDir dir;
    TMACROKEYINFOLIST list{};
    list.MacroInfos[0] = macroOf(u"one", {key('A', 1), key('A', 0)});
    list.MacroInfos[1] = macroOf(u"two", {});
    list.nMacroInfoCount = 2;
    const QString folder = QString::fromStdString((dir / "macros").string());
    int index = 1;
    whenManagerShown([](TFrmMacro& form) {
      QCOMPARE(form.ListBoxMacroList->ItemIndex(), 1);
      form.uiMenuMacroItemsClick(2);  // Up: "two" goes first and stays current
      form.BtnOKClick();
    });
    QCOMPARE(ShowMacroManager(list, index, folder), 1);
    QCOMPARE(index, 0);
    QCOMPARE(MacroName(list.MacroInfos[0]), std::u16string(u"two"));
    QCOMPARE(list.MacroInfos[0].nMacroIndex, 0);
    QVERIFY(std::filesystem::exists(dir / "macros" / "one.macro"));
    QCOMPARE(std::filesystem::file_size(dir / "macros" / "two.macro"), 892u);

    // Cancel (confirmed) hands nothing back.
    whenManagerShown([](TFrmMacro& form) {
      form.BSBTNDELETEMACROClick();
      form.BtnCancelClick();
    });
    QCOMPARE(ShowMacroManager(list, index, folder), 2);
    QCOMPARE(list.nMacroInfoCount, 2);

    // A folder that cannot be made: told, and the list still comes back.
    const QString blocked = QString::fromStdString((dir / "file" / "macros").string());
    std::ofstream(dir / "file") << "x";
    whenManagerShown([](TFrmMacro& form) {
      form.BSBTNDELETEMACROClick();
      form.BtnOKClick();
    });
    QCOMPARE(ShowMacroManager(list, index, blocked), 1);
    QCOMPARE(list.nMacroInfoCount, 1);
    QVERIFY(dialogs.messages.back().startsWith("Warning: The macro files could not be written:"));

    // A damaged count beyond the 21 slots: the slots' macros are shown, and OK keeps them.
    TMACROKEYINFOLIST damaged{};
    for (int i = 0; i < 21; ++i)
      damaged.MacroInfos[i] = macroOf(u"m" + std::u16string(1, char16_t(u'a' + i)), {});
    damaged.nMacroInfoCount = 300;
    int shownRows = -1;
    whenManagerShown([&shownRows](TFrmMacro& form) {
      shownRows = form.ListBoxMacroList->Count();
      form.BtnOKClick();
    });
    QCOMPARE(ShowMacroManager(damaged, index, folder), 1);
    QCOMPARE(shownRows, 21);
    QCOMPARE(damaged.nMacroInfoCount, 21);
    QCOMPARE(MacroName(damaged.MacroInfos[20]), std::u16string(u"mu"));
  }

  void okAsksWhenAMacroHasErrors() {
    ScriptedMacroDialogs dialogs;
    TMACROKEYINFO faulty = macroOf(u"bad", {key('A', 1)});
    faulty.HaveErrors = 1;
    auto form = managerOf({faulty});
    dialogs.answers = {2};
    form->show();
    form->BtnOKClick();
    QCOMPARE(dialogs.messages.back(), QString("leave with errors"));
    QVERIFY(form->isVisible());
  }

  void accessibleNamesAndRoles() {
    ScriptedMacroDialogs dialogs;
    auto form = managerOf({macroOf(u"m", {key('A', 1), delay(120), key('A', 0)})});
    form->show();
    auto name = [](QObject* o) {
      return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
    };
    QCOMPARE(name(form->BSBTNNEWMACRO), QString("New"));
    QCOMPARE(name(form->TextBoxSelectedMacroName), QString("Macro Name"));
    QCOMPARE(name(form->BtnAutoDelay), QString("Record delays between action"));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(form->ListBoxMacroKey);
    QCOMPARE(list->role(), QAccessible::List);
    QCOMPARE(list->childCount(), 3);
    QCOMPARE(list->child(1)->text(QAccessible::Name), QString("Delay 120 ms"));
    QCOMPARE(list->child(1)->role(), QAccessible::ListItem);
    QAccessibleInterface* start = QAccessible::queryAccessibleInterface(form->BtnMacroStart);
    QCOMPARE(start->role(), QAccessible::Button);
    QVERIFY(start->state().checkable);
    QCOMPARE(QAccessible::queryAccessibleInterface(form->BoxMacroLoop)
                 ->valueInterface()
                 ->currentValue()
                 .toInt(),
             0);
  }

  void contextMenusShowWhatCanAct() {
    ScriptedMacroDialogs dialogs;
    auto form = managerOf({macroOf(u"m", {key('A', 1), key('A', 0)}), macroOf(u"n", {})});
    form->show();
    UiListBox& actions = *form->ListBoxMacroKey;
    actions.SetItemIndex(0);
    const QPoint at = actions.mapToGlobal(QPoint(10, 5));
    actions.OnMouseUp(actions, Qt::LeftButton, at);
    QVERIFY(!form->uiMenuMacroList->IsMenuOpen());
    actions.OnMouseUp(actions, Qt::RightButton, at);
    QVERIFY(form->uiMenuMacroList->IsMenuOpen());
    TuiMenuItemsEx& items = form->uiMenuMacroList->Items();
    QVERIFY(!items.Items(2).Enabled);  // Up on the first action
    QVERIFY(items.Items(3).Enabled);   // Down
    QVERIFY(!items.Items(6).Enabled);  // Paste with an empty buffer
    form->uiMenuMacroList->CloseMenu();

    // Copy the press, paste it before the release, cut it again: the buffer holds it once.
    form->uiMenuMacroListItemsClick(5);
    actions.SetItemIndex(1);
    form->uiMenuMacroListItemsClick(7);
    QCOMPARE(rowTexts(actions), QStringList({"A Down", "A Down", "A Up"}));
    QCOMPARE(current(*form).ErrorCount > 0, true);  // A pressed twice
    actions.SetItemIndex(1);
    form->uiMenuMacroListItemsClick(6);
    QCOMPARE(rowTexts(actions), QStringList({"A Down", "A Up"}));
    QCOMPARE(current(*form).HaveErrors, 0);

    // The macro list's menu: Down on the first macro moves it and keeps it current.
    UiListBox& macros = *form->ListBoxMacroList;
    macros.SetItemIndex(0);
    macros.OnMouseUp(macros, Qt::RightButton, macros.mapToGlobal(QPoint(10, 5)));
    QVERIFY(form->uiMenuMacro->IsMenuOpen());
    QVERIFY(!form->uiMenuMacro->Items().Items(1).Enabled);  // Up
    form->uiMenuMacro->CloseMenu();
    form->uiMenuMacroItemsClick(3);
    QCOMPARE(rowTexts(macros), QStringList({"n", "m"}));
    QCOMPARE(macros.ItemIndex(), 1);
    QCOMPARE(form->FMacroClass->MacroListIndex(), 1);
  }

  void contextMenusTakeThePointerAboveTheModalManager() {
    ScriptedMacroDialogs dialogs;
    test::TempDir dir;
    TMACROKEYINFOLIST list{};
    list.MacroInfos[0] = macroOf(u"m", {key('A', 1), key('A', 0)});
    list.nMacroInfoCount = 1;
    int index = 0;
    bool renaming = false;
    QStringList actionsLeft;
    whenManagerShown([&](TFrmMacro& form) {
      // Whatever fails below, the modal manager ends.
      const auto close = qScopeGuard([&form] { form.BtnCancelClick(); });
      UiListBox& macros = *form.ListBoxMacroList;
      clickThroughWindow(*macros.Row(0), QPoint(10, 5), Qt::RightButton);
      QVERIFY(form.uiMenuMacro->IsMenuOpen());
      clickMenuRow(*form.uiMenuMacro, 0);  // Rename
      QTRY_VERIFY(form.TextBoxSelectedMacroName->isEnabled());
      renaming = !macros.isEnabled();
      form.TextBoxSelectedMacroName->OnEnter(*form.TextBoxSelectedMacroName);

      UiListBox& actions = *form.ListBoxMacroKey;
      clickThroughWindow(*actions.Row(1), QPoint(10, 5), Qt::RightButton);
      QVERIFY(form.uiMenuMacroList->IsMenuOpen());
      QCOMPARE(actions.ItemIndex(), 1);
      clickMenuRow(*form.uiMenuMacroList, 1);  // Delete
      QTRY_COMPARE(actions.Count(), 1);
      actionsLeft = rowTexts(actions);
    });
    ShowMacroManager(list, index, QString::fromStdString((dir / "macros").string()));
    QVERIFY(renaming);
    QCOMPARE(actionsLeft, QStringList({"A Down"}));
  }

  void insertRecordsAfterTheSelectedAction() {
    ScriptedMacroDialogs dialogs;
    auto form = managerOf({macroOf(u"m", {key('X', 1), key('X', 0)}, 0)});
    form->ListBoxMacroKey->SetItemIndex(0);
    form->uiMenuMacroListItemsClick(1);  // Insert
    QVERIFY(form->Recording());
    provider->Append({ScriptedKey(1000, VK_B, true), ScriptedKey(1050, VK_B, false)});
    provider->dispatch();
    QCOMPARE(rowTexts(*form->ListBoxMacroKey), QStringList({"X Down", "B Down", "B Up", "X Up"}));
    form->BtnMacroStop->click();
    const TMACROKEYINFO m = current(*form);
    QCOMPARE(m.MacroListCount, 4);
    QCOMPARE(m.MacroList[1].VALUE1, uint8_t('B'));
    QCOMPARE(m.MacroList[2].nKeyState, 0);
    QCOMPARE(m.MacroList[3].VALUE1, uint8_t('X'));
  }

  void aLongRecordingKeepsTheLimits() {
    ScriptedMacroDialogs dialogs;
    auto form = managerOf({macroOf(u"m", {})});
    form->BtnAutoDelay->setChecked(true);
    form->BtnMacroStart->click();
    for (uint32_t i = 0; i < 600; ++i)
      provider->Append(ScriptedKey(1000 + 20 * i, VK_A, i % 2 == 0));
    provider->dispatch();
    QVERIFY(form->ListBoxMacroKey->Count() <= kMaxRecordedActions + 1);
    form->BtnMacroStop->click();
    QCOMPARE(current(*form).MacroListCount, kMaxRecordedActions);
    QCOMPARE(form->ListBoxMacroKey->Count(), kMaxRecordedActions);
  }

 private:
  std::shared_ptr<ScriptedHookProvider> provider;
};

}  // namespace qor

QTEST_MAIN(qor::MacroManagerTest)
#include "macro_manager_test.moc"
