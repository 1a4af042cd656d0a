// SPDX-License-Identifier: GPL-2.0-or-later
// UiMenuEx: the function menu on the screen. It opens the levels of a TuiMenuEx as cascading
// pop-ups beside a control, follows the pointer and the keys, and reports the chosen item
// once every level has closed.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "ui/menu_geometry.h"
#include "ui/menu_items.h"

class QWidget;

namespace qor {

class TuiMenuBox;
class TuiMenuBoxItem;

class UiMenuEx : public QObject {
 public:
  // `owner` holds the menu; the pop-ups go with it.
  explicit UiMenuEx(QWidget* owner);
  ~UiMenuEx() override;

  // The item tree, the look, OnItemsClick and OnMenuClose.
  TuiMenuEx& Menu() { return FMenu; }
  TuiMenuItemsEx& Items() { return FMenu.Items(); }

  // Opens the top level beside PlacementTarget; the selected ID stays as it was.
  void ShowMainMenu(QWidget* PlacementTarget, MenuPlacement Placement);
  // Sets the selected ID first.
  void ShowMainMenu(uint64_t SelectedMenuID, QWidget* PlacementTarget, MenuPlacement Placement);
  // Opens relative to PlacementRectangle, given in the target's coordinates.
  void ShowMainMenu(uint64_t SelectedMenuID, QWidget* PlacementTarget, MenuPlacement Placement,
                    const QRect& PlacementRectangle);
  bool IsMenuOpen() const;
  // Refreshes the rows of an open level (captions, check marks, selection).
  void UpdateMenuState(TuiMenuItemsEx& level);
  // Closes every open level without a choice.
  void CloseMenu();

  // The pop-up of a level while it is open, else null.
  TuiMenuBox* OpenBox(const TuiMenuItemsEx& level) const;
  // The levels open now, the top level first.
  std::vector<TuiMenuBox*> OpenLevels() const;
  // The level the keys act on.
  TuiMenuBox* KeyLevel() const;

  // A row's choice as a user's click makes it: press and release on that row.
  void ClickRow(TuiMenuBoxItem& row);
  // Called by a level's pop-up when it was hidden, by us or by the window system.
  void LevelHidden(TuiMenuBox& box);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // `opener`: the control (or the row) the level opens from; assistive technology finds the
  // level below it.
  void showLevel(TuiMenuItemsEx& level, const MenuPlacementRequest& where, QWidget* opener);
  void openSubLevel(TuiMenuBoxItem& row);
  // Closes the levels below `keep` (all when null).
  void closeBelow(const TuiMenuBox* keep);
  TuiMenuBoxItem* rowAt(const QPoint& global) const;
  void hover(TuiMenuBoxItem* row);
  void press(TuiMenuBoxItem* row);
  void release(TuiMenuBoxItem* row);
  bool key(int key, const QString& text);
  void select(TuiMenuBox& box, int index);
  // Closes the menu and reports the row's item by a queued call, when `report`.
  void finish(TuiMenuBoxItem& row, bool report);
  TuiMenuBox& boxFor(TuiMenuItemsEx& level);
  // Drops the pop-ups of levels that are no longer in the tree (closed ones only).
  void forgetDeletedLevels();
  MenuRect screenOf(const QPoint& at) const;

  TuiMenuEx FMenu;
  std::map<const TuiMenuItemsEx*, std::unique_ptr<TuiMenuBox>> FBoxes;
  std::vector<TuiMenuBox*> FOpen;  // the top level first
  TuiMenuBox* FKeyLevel = nullptr;
  // The pressed row, by level and position (rows are rebuilt, addresses are not kept).
  const TuiMenuItemsEx* FPressedLevel = nullptr;
  int FPressedRow = -1;
  bool FClosing = false;
};

}  // namespace qor
