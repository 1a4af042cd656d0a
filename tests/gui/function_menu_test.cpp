// SPDX-License-Identifier: GPL-2.0-or-later
// The function menu on the screen: pointer and key rules, queued choices, closing, scrolling
// and what assistive technology sees.
#include <QAccessible>
#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include "widgets/function_menu.h"
#include "widgets/menu_box.h"

namespace qor {

class FunctionMenuTest : public QObject {
  Q_OBJECT

  struct Choice {
    std::string name;
    uint32_t id;
    bool menuOpen;
  };

  // A target button, and a menu of "Left Click", "Right Click" (checked), "Macro" (with
  // "One" and "Two") and "Disable".
  struct Fixture {
    QWidget window;
    QWidget* target;
    UiMenuEx menu{&window};
    std::vector<Choice> choices;
    std::vector<const TuiMenuItemsEx*> closed;

    Fixture() {
      window.setGeometry(300, 300, 300, 200);
      target = new QWidget(&window);
      target->setGeometry(20, 20, 60, 30);
      window.show();
      for (const char* caption : {"Left Click", "Right Click", "Macro", "Disable"})
        menu.Items().Add()->Caption = caption;
      menu.Items().Items(1).Checked = true;
      for (const char* caption : {"One", "Two"})
        menu.Items().Items(2).SubItems().Add()->Caption = caption;
      menu.Menu().OnItemsClick = [this](TuiMenuItemEx&, const std::string& name, uint32_t id, void*,
                                        int) {
        choices.push_back({name, id, menu.IsMenuOpen()});
      };
      menu.Menu().OnMenuClose = [this](TuiMenuItemsEx& level) { closed.push_back(&level); };
    }
    TuiMenuBox& top() { return *menu.OpenBox(menu.Items()); }
    QPoint rowCentre(TuiMenuBox& box, int row) {
      TuiMenuBoxItem* item = box.Row(row);
      return box.mapFromGlobal(item->mapToGlobal(item->rect().center()));
    }
    void moveTo(TuiMenuBox& box, int row) { QTest::mouseMove(&box, rowCentre(box, row)); }
    void press(TuiMenuBox& box, int row) {
      QTest::mousePress(&box, Qt::LeftButton, {}, rowCentre(box, row));
    }
    void release(TuiMenuBox& box, int row) {
      QTest::mouseRelease(&box, Qt::LeftButton, {}, rowCentre(box, row));
    }
    void open() {
      menu.ShowMainMenu(target, MenuPlacement::RightCenter);
      QVERIFY(menu.IsMenuOpen());
    }
  };

 private slots:
  void pressAndReleaseOnOneRowChooseItAfterTheMenuClosed() {
    Fixture f;
    f.open();
    TuiMenuBox& top = f.top();
    f.moveTo(top, 0);
    f.press(top, 0);
    f.release(top, 0);
    QVERIFY(!f.menu.IsMenuOpen());
    QVERIFY(f.choices.empty());  // delivered by a queued call
    QTRY_COMPARE(f.choices.size(), std::size_t(1));
    QCOMPARE(f.choices[0].name, std::string("Item1"));
    QCOMPARE(f.choices[0].id, 1u);
    QVERIFY(!f.choices[0].menuOpen);
    QCOMPARE(f.closed.size(), std::size_t(1));
    QCOMPARE(f.closed[0], &f.menu.Items());
  }

  void releaseOnAnotherRowClosesWithoutAChoice() {
    Fixture f;
    f.open();
    TuiMenuBox& top = f.top();
    f.press(top, 0);
    f.moveTo(top, 3);
    f.release(top, 3);
    QVERIFY(!f.menu.IsMenuOpen());
    QTest::qWait(20);
    QVERIFY(f.choices.empty());
  }

  void anExtenderOpensItsLevelAndIsNoChoice() {
    Fixture f;
    f.open();
    TuiMenuBox& top = f.top();
    f.moveTo(top, 2);
    TuiMenuBox* sub = f.menu.OpenBox(f.menu.Items().Items(2).SubItems());
    QVERIFY(sub);
    QVERIFY(sub->isVisible());
    // To the right of its row, tops aligned.
    const QRect row(top.Row(2)->mapToGlobal(QPoint(0, 0)), top.Row(2)->size());
    QCOMPARE(sub->geometry().left(), row.right() + 1);
    QCOMPARE(sub->geometry().top(), row.top());
    f.press(top, 2);
    f.release(top, 2);
    QVERIFY(f.menu.IsMenuOpen());
    QTest::qWait(20);
    QVERIFY(f.choices.empty());

    // Moving to another row of the top level closes the sub-level.
    f.moveTo(top, 0);
    QVERIFY(!f.menu.OpenBox(f.menu.Items().Items(2).SubItems()));
    f.moveTo(top, 2);
    sub = f.menu.OpenBox(f.menu.Items().Items(2).SubItems());
    QVERIFY(sub);
    f.moveTo(*sub, 1);
    f.press(*sub, 1);
    f.release(*sub, 1);
    QTRY_COMPARE(f.choices.size(), std::size_t(1));
    QCOMPARE(f.choices[0].id, 302u);
    QCOMPARE(f.closed.size(), std::size_t(3));  // the sub-level twice, then the top level
    // Every level but the chosen one forgets its row.
    QCOMPARE(f.menu.Items().ItemIndex, -1);
    QCOMPARE(f.menu.Items().Items(2).SubItems().ItemIndex, 1);
  }

  void aPressOutsideClosesWithoutAChoice() {
    Fixture f;
    f.open();
    QPointer<TuiMenuBox> level = &f.top();
    QVERIFY(level->windowHandle());
    QTest::mouseClick(&f.top(), Qt::LeftButton, {}, QPoint(-50, -50));
    QVERIFY(!f.menu.IsMenuOpen());
    QTest::qWait(20);
    QVERIFY(f.choices.empty());
    // A closed level keeps no window-system window or buffer.
    QVERIFY(!level || !level->windowHandle());
  }

  void theSelectedIdAndTheCheckedItemShow() {
    Fixture f;
    f.menu.ShowMainMenu(302, f.target, MenuPlacement::RightCenter);
    TuiMenuBox& top = f.top();
    for (int i = 0; i < 4; ++i) QVERIFY(!top.Row(i)->IsSelected());  // a sub-item's ID
    QVERIFY(top.Row(1)->IsChecked());
    f.moveTo(top, 2);
    TuiMenuBox* sub = f.menu.OpenBox(f.menu.Items().Items(2).SubItems());
    QVERIFY(sub->Row(1)->IsSelected());
    QVERIFY(top.Row(2)->IsExtender());
    f.menu.CloseMenu();

    f.menu.ShowMainMenu(4, f.target, MenuPlacement::RightCenter);
    QVERIFY(f.top().Row(3)->IsSelected());
    f.menu.Items().SetItemCheckedState(3, true);
    f.menu.UpdateMenuState(f.menu.Items());
    QVERIFY(f.top().Row(3)->IsChecked());
  }

  void keysMoveEnterChoosesEscapeCloses() {
    Fixture f;
    f.open();
    TuiMenuBox& top = f.top();
    auto selected = [&](TuiMenuBox& box) {
      for (int i = 0; i < box.RowCount(); ++i)
        if (box.Row(i)->IsSelected()) return i;
      return -1;
    };
    QTest::keyClick(&top, Qt::Key_End);
    QCOMPARE(selected(top), 3);
    QTest::keyClick(&top, Qt::Key_R);  // "Right Click"
    QCOMPARE(selected(top), 1);
    QTest::keyClick(&top, Qt::Key_Down);
    QCOMPARE(f.menu.Items().ItemIndex, 2);  // the extender: remembered, not drawn selected
    QTest::keyClick(&top, Qt::Key_Return);  // opens its level, which takes the keys
    TuiMenuBox* sub = f.menu.OpenBox(f.menu.Items().Items(2).SubItems());
    QVERIFY(sub);
    QCOMPARE(f.menu.KeyLevel(), sub);
    QTest::keyClick(sub, Qt::Key_Escape);  // closes the sub-level only
    QVERIFY(!f.menu.OpenBox(f.menu.Items().Items(2).SubItems()));
    QVERIFY(f.menu.IsMenuOpen());
    QTest::keyClick(&top, Qt::Key_Home);
    QTest::keyClick(&top, Qt::Key_Enter);
    QVERIFY(!f.menu.IsMenuOpen());
    QTRY_COMPARE(f.choices.size(), std::size_t(1));
    QCOMPARE(f.choices[0].id, 1u);

    f.open();
    QTest::keyClick(&f.top(), Qt::Key_Escape);
    QVERIFY(!f.menu.IsMenuOpen());
  }

  void aMenuRebuiltBetweenShowingsShowsItsNewRows() {
    Fixture f;
    f.open();
    f.moveTo(f.top(), 2);  // the sub-level gets its pop-up
    f.menu.CloseMenu();
    f.menu.Items().Delete(2);  // and goes with its item
    f.open();
    QCOMPARE(f.top().RowCount(), 3);
    f.menu.CloseMenu();

    // The way the button window rebuilds its macro list: Clear, then Add.
    f.menu.Items().Clear();
    TuiMenuItemEx* macros = f.menu.Items().Add();
    macros->Caption = "Macro";
    for (const char* caption : {"Reload", "Burst"}) macros->SubItems().Add()->Caption = caption;
    f.open();
    f.moveTo(f.top(), 0);
    TuiMenuBox* sub = f.menu.OpenBox(macros->SubItems());
    QVERIFY(sub);
    QCOMPARE(sub->Row(1)->Text(), QString("Burst"));
    f.press(*sub, 1);
    f.release(*sub, 1);
    QTRY_COMPARE(f.choices.size(), std::size_t(1));
    QCOMPARE(f.choices[0].id, 102u);
  }

  void aLongMenuScrollsAndLongCaptionsStayOnTheScreen() {
    Fixture f;
    f.menu.Items().Clear();
    for (int i = 0; i < 200; ++i)
      f.menu.Items().Add()->Caption = std::string(500, char('a' + i % 26));
    f.open();
    TuiMenuBox& top = f.top();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(top.RowCount(), 200);
    QVERIFY(top.height() <= screen.height());
    QVERIFY(top.width() <= screen.width());
    QVERIFY(screen.contains(top.geometry()));
    // The scroll bar takes its clicks; they choose nothing and close nothing.
    QScrollBar* bar = top.findChild<QScrollArea*>()->verticalScrollBar();
    QTRY_VERIFY(bar->isVisible());
    QCOMPARE(bar->value(), 0);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 20));
    QVERIFY(bar->value() > 0);  // a page down
    QVERIFY(f.menu.IsMenuOpen());
    QTest::keyClick(&top, Qt::Key_End);
    TuiMenuBoxItem* last = top.Row(199);
    QVERIFY(last->IsSelected());
    const QRect shown(last->mapToGlobal(QPoint(0, 0)), last->size());
    QVERIFY(top.geometry().contains(shown));  // scrolled into view
    f.press(top, 199);
    f.release(top, 199);
    QTRY_COMPARE(f.choices.size(), std::size_t(1));
    QCOMPARE(f.choices[0].id, 200u);
  }

  void levelsAreMenusAndRowsAreMenuItems() {
    Fixture f;
    f.open();
    QAccessibleInterface* level = QAccessible::queryAccessibleInterface(&f.top());
    QVERIFY(level);
    QCOMPARE(level->role(), QAccessible::PopupMenu);
    QCOMPARE(level->childCount(), 4);
    QAccessibleInterface* checked = level->child(1);
    QCOMPARE(checked->role(), QAccessible::MenuItem);
    QCOMPARE(checked->text(QAccessible::Name), QString("Right Click"));
    QVERIFY(checked->state().checked);
    QVERIFY(!level->child(0)->state().checked);
    QVERIFY(level->child(2)->state().hasPopup);
    QCOMPARE(level->indexOfChild(checked), 1);
    QCOMPARE(checked->parent()->object(), &f.top());
    QAccessibleActionInterface* action = level->child(3)->actionInterface();
    QVERIFY(action);
    QCOMPARE(action->actionNames(), QStringList{"click"});
    action->doAction("click");
    QVERIFY(!f.menu.IsMenuOpen());
    QTRY_COMPARE(f.choices.size(), std::size_t(1));
    QCOMPARE(f.choices[0].id, 4u);
  }
};

}  // namespace qor

QTEST_MAIN(qor::FunctionMenuTest)
#include "function_menu_test.moc"
