// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/function_menu.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <set>

#include "widgets/menu_box.h"
#include "widgets/qt_text.h"

namespace qor {
namespace {

MenuRect toMenuRect(const QRect& r) {
  return {r.left(), r.top(), r.width(), r.height()};
}

QRect onScreen(const QWidget& w) {
  return QRect(w.mapToGlobal(QPoint(0, 0)), w.size());
}

// Every level of the tree now; items deleted since took their sub-levels with them.
void collectLevels(const TuiMenuItemsEx& level, std::set<const TuiMenuItemsEx*>& out) {
  out.insert(&level);
  for (int i = 0; i < level.Count(); ++i) collectLevels(level.Items(i).SubItems(), out);
}

bool isLive(const TuiMenuEx& menu, const TuiMenuItemsEx* level) {
  std::set<const TuiMenuItemsEx*> live;
  collectLevels(menu.Items(), live);
  return live.count(level) > 0;
}

}  // namespace

UiMenuEx::UiMenuEx(QWidget* owner) : QObject(owner) {
  InstallMenuAccessibility();
  // A click into another program closes the menu, as it would close a pop-up.
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s != Qt::ApplicationActive) CloseMenu();
  });
}

UiMenuEx::~UiMenuEx() {
  FClosing = true;  // no reports from levels hidden while they are destroyed
  qApp->removeEventFilter(this);
  FOpen.clear();
  FBoxes.clear();
}

void UiMenuEx::ShowMainMenu(QWidget* PlacementTarget, MenuPlacement Placement) {
  if (!PlacementTarget) return;
  const QRect target = onScreen(*PlacementTarget);
  CloseMenu();
  forgetDeletedLevels();
  showLevel(FMenu.Items(),
            {toMenuRect(target), Placement, toMenuRect(PlacementTarget->window()->frameGeometry()),
             screenOf(target.center()), false},
            PlacementTarget);
}

void UiMenuEx::ShowMainMenu(uint64_t SelectedMenuID, QWidget* PlacementTarget,
                            MenuPlacement Placement) {
  TuiMenuEx::SetSelectedMenuID(SelectedMenuID);
  ShowMainMenu(PlacementTarget, Placement);
}

void UiMenuEx::ShowMainMenu(uint64_t SelectedMenuID, QWidget* PlacementTarget,
                            MenuPlacement Placement, const QRect& PlacementRectangle) {
  TuiMenuEx::SetSelectedMenuID(SelectedMenuID);
  if (!PlacementTarget) return;
  const QRect target(PlacementTarget->mapToGlobal(PlacementRectangle.topLeft()),
                     PlacementRectangle.size());
  CloseMenu();
  forgetDeletedLevels();
  showLevel(FMenu.Items(),
            {toMenuRect(target), Placement, toMenuRect(PlacementTarget->window()->frameGeometry()),
             screenOf(target.center()), true},
            PlacementTarget);
}

bool UiMenuEx::IsMenuOpen() const {
  return !FOpen.empty();
}

TuiMenuBox* UiMenuEx::OpenBox(const TuiMenuItemsEx& level) const {
  for (TuiMenuBox* box : FOpen)
    if (&box->Level() == &level) return box;
  return nullptr;
}

std::vector<TuiMenuBox*> UiMenuEx::OpenLevels() const {
  return FOpen;
}

TuiMenuBox* UiMenuEx::KeyLevel() const {
  return FKeyLevel;
}

MenuRect UiMenuEx::screenOf(const QPoint& at) const {
  QScreen* screen = QGuiApplication::screenAt(at);
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? toMenuRect(screen->geometry()) : MenuRect{0, 0, 1920, 1080};
}

void UiMenuEx::forgetDeletedLevels() {
  std::set<const TuiMenuItemsEx*> live;
  collectLevels(FMenu.Items(), live);
  std::erase_if(FBoxes, [&live](const auto& entry) { return live.count(entry.first) == 0; });
}

TuiMenuBox& UiMenuEx::boxFor(TuiMenuItemsEx& level) {
  std::unique_ptr<TuiMenuBox>& box = FBoxes[&level];
  if (!box) box = std::make_unique<TuiMenuBox>(*this, level);
  return *box;
}

void UiMenuEx::showLevel(TuiMenuItemsEx& level, const MenuPlacementRequest& where,
                         QWidget* opener) {
  if (level.Count() == 0) return;
  TuiMenuBox& box = boxFor(level);
  box.SetOpener(opener);
  const int widest = box.RebuildRows();
  const int selected = level.SelectedRow();
  box.UpdateRows(selected);
  const MenuLevelSize size =
      MeasureMenuLevel(level, box.RowCount(), widest, where.Screen.Width, where.Screen.Height);
  // The width is kept while the level is open; it is closed here.
  box.resize(size.Width, size.Height);
  box.SetRowHeight(size.RowHeight);
  const MenuPoint at = PlaceMenuLevel(where, size.Width, size.Height);
  box.move(at.X, at.Y);
  box.SetHotRow(-1);
  if (FOpen.empty()) qApp->installEventFilter(this);
  FOpen.push_back(&box);
  FKeyLevel = &box;
  // While a modal window runs, Qt passes the pointer only to it and its transients: the level
  // belongs to the window it opens from (a released level gets a new native window each time).
  box.winId();
  if (QWindow* handle = box.windowHandle())
    handle->setTransientParent(opener ? opener->window()->windowHandle() : nullptr);
  box.show();
  box.ShowRow(selected);
}

void UiMenuEx::openSubLevel(TuiMenuBoxItem& row) {
  TuiMenuItemsEx& level = row.Level();
  if (row.Index() >= level.Count()) return;
  TuiMenuItemsEx& sub = level.Items(row.Index()).SubItems();
  if (OpenBox(sub)) return;
  TuiMenuBox* parent = OpenBox(level);
  if (!parent) return;
  const QRect target = onScreen(row);
  showLevel(sub,
            {toMenuRect(target), MenuPlacement::Right, toMenuRect(parent->frameGeometry()),
             screenOf(target.center()), false},
            &row);
}

void UiMenuEx::closeBelow(const TuiMenuBox* keep) {
  while (!FOpen.empty() && FOpen.back() != keep) {
    TuiMenuBox* box = FOpen.back();
    box->hide();  // LevelHidden takes it off the list
    if (!FOpen.empty() && FOpen.back() == box) FOpen.pop_back();
  }
}

void UiMenuEx::CloseMenu() {
  closeBelow(nullptr);
}

void UiMenuEx::LevelHidden(TuiMenuBox& box) {
  auto it = std::find(FOpen.begin(), FOpen.end(), &box);
  if (it == FOpen.end()) return;
  // Levels opened from it go with it (the window system may hide one on its own).
  std::vector<TuiMenuBox*> closed(it, FOpen.end());
  FOpen.erase(it, FOpen.end());
  for (auto c = closed.rbegin(); c != closed.rend(); ++c) {
    if (*c != &box) (*c)->hide();
    (*c)->SetHotRow(-1);
  }
  FKeyLevel = FOpen.empty() ? nullptr : FOpen.back();
  if (FOpen.empty()) {
    qApp->removeEventFilter(this);
    FPressedLevel = nullptr;
    FPressedRow = -1;
  }
  if (FClosing) return;
  for (auto c = closed.rbegin(); c != closed.rend(); ++c)
    if (TuiMenuClose onClose = FMenu.OnMenuClose) onClose((*c)->Level());
}

void UiMenuEx::UpdateMenuState(TuiMenuItemsEx& level) {
  TuiMenuBox* box = OpenBox(level);
  if (!box) return;
  box->RebuildRows();
  box->SetRowHeight(MenuRowHeight(level));
  box->UpdateRows(box->Selected() < box->RowCount() ? box->Selected() : level.SelectedRow());
}

TuiMenuBoxItem* UiMenuEx::rowAt(const QPoint& global) const {
  // The last opened level lies above the others.
  for (auto it = FOpen.rbegin(); it != FOpen.rend(); ++it)
    if ((*it)->frameGeometry().contains(global)) return (*it)->RowAt(global);
  return nullptr;
}

void UiMenuEx::select(TuiMenuBox& box, int index) {
  TuiMenuItemsEx& level = box.Level();
  level.ItemIndex = index;
  box.UpdateRows(index);
  box.ShowRow(index);
}

void UiMenuEx::hover(TuiMenuBoxItem* row) {
  if (!row) return;
  TuiMenuBox* box = OpenBox(row->Level());
  if (!box || box->HotRow() == row->Index()) return;
  box->SetHotRow(row->Index());
  closeBelow(box);
  FKeyLevel = box;
  if (row->IsExtender()) openSubLevel(*row);
}

void UiMenuEx::press(TuiMenuBoxItem* row) {
  FPressedLevel = row ? &row->Level() : nullptr;
  FPressedRow = row ? row->Index() : -1;
  if (!row) return;
  if (TuiMenuBox* box = OpenBox(row->Level())) select(*box, row->Index());
}

void UiMenuEx::release(TuiMenuBoxItem* row) {
  if (!row || row->IsExtender() || !row->isEnabled()) return;
  const bool same = &row->Level() == FPressedLevel && row->Index() == FPressedRow;
  finish(*row, same);
}

void UiMenuEx::ClickRow(TuiMenuBoxItem& row) {
  if (!OpenBox(row.Level())) return;
  if (row.IsExtender()) {
    hover(&row);
    return;
  }
  press(&row);
  release(&row);
}

void UiMenuEx::finish(TuiMenuBoxItem& row, bool report) {
  TuiMenuItemsEx* level = &row.Level();
  const int index = row.Index();
  const uint32_t id = row.ItemID();
  QCoreApplication::processEvents();
  CloseMenu();
  if (!isLive(FMenu, level)) return;  // a handler run meanwhile rebuilt the menu
  FMenu.ClearItemIndexes(level);
  if (!report) return;
  // After the pop-ups are gone, so that the handler may open a modal window; the item is
  // found again in case the tree changed meanwhile.
  QPointer<UiMenuEx> self(this);
  QTimer::singleShot(0, this, [self, level, index, id] {
    if (!self || !isLive(self->FMenu, level) || index >= level->Count() ||
        level->Items(index).ItemID() != id)
      return;
    self->FMenu.ReportClick(level->Items(index));
  });
}

bool UiMenuEx::key(int key, const QString& text) {
  TuiMenuBox* box = FKeyLevel;
  if (!box) return false;
  TuiMenuItemsEx& level = box->Level();
  const int current = box->Selected();
  switch (key) {
    case Qt::Key_Escape:
      closeBelow(FOpen.size() > 1 ? FOpen[FOpen.size() - 2] : nullptr);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (TuiMenuBoxItem* row = box->Row(current)) {
        if (row->IsExtender()) {
          hover(row);
          if (TuiMenuBox* sub = OpenBox(level.Items(current).SubItems())) FKeyLevel = sub;
        } else {
          finish(*row, true);
        }
      }
      return true;
    default:
      break;
  }
  std::vector<std::u16string> texts;
  for (int i = 0; i < box->RowCount(); ++i) texts.push_back(ToU16(box->Row(i)->Text()));
  MenuKey menuKey;
  char32_t character = 0;
  switch (key) {
    case Qt::Key_Home:
      menuKey = MenuKey::Home;
      break;
    case Qt::Key_End:
      menuKey = MenuKey::End;
      break;
    case Qt::Key_Up:
      menuKey = MenuKey::Up;
      break;
    case Qt::Key_Down:
      menuKey = MenuKey::Down;
      break;
    case Qt::Key_Left:
      menuKey = MenuKey::Left;
      break;
    case Qt::Key_Right:
      menuKey = MenuKey::Right;
      break;
    default:
      if (text.isEmpty() || !text.at(0).isPrint()) return false;
      menuKey = MenuKey::Character;
      character = text.toUcs4().value(0);
      break;
  }
  const int next = MenuKeySelection(texts, current, menuKey, character);
  if (next >= 0 && next != current) select(*box, next);
  return true;
}

bool UiMenuEx::eventFilter(QObject* watched, QEvent* event) {
  if (FOpen.empty() || !watched->isWidgetType()) return false;
  switch (event->type()) {
    case QEvent::MouseMove: {
      auto* e = static_cast<QMouseEvent*>(event);
      hover(rowAt(e->globalPosition().toPoint()));
      return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* e = static_cast<QMouseEvent*>(event);
      const QPoint at = e->globalPosition().toPoint();
      const bool inside = std::any_of(FOpen.begin(), FOpen.end(), [&](TuiMenuBox* b) {
        return b->frameGeometry().contains(at);
      });
      if (!inside) {
        CloseMenu();
        return true;  // the click that closes the menu does nothing else
      }
      TuiMenuBoxItem* row = rowAt(at);
      press(e->button() == Qt::LeftButton ? row : nullptr);
      return row != nullptr;  // elsewhere in a level: the scroll bar's
    }
    case QEvent::MouseButtonRelease: {
      auto* e = static_cast<QMouseEvent*>(event);
      TuiMenuBoxItem* row = rowAt(e->globalPosition().toPoint());
      if (!row) return false;
      if (e->button() == Qt::LeftButton) release(row);
      return true;
    }
    case QEvent::KeyPress: {
      auto* e = static_cast<QKeyEvent*>(event);
      return key(e->key(), e->text());
    }
    case QEvent::ShortcutOverride:
      return false;
    default:
      return false;
  }
}

}  // namespace qor
