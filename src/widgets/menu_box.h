// SPDX-License-Identifier: GPL-2.0-or-later
// TuiMenuBox: the on-screen form of one function menu level, a pop-up with one row
// (TuiMenuBoxItem) per item that scrolls when the rows do not fit. The pointer and key rules
// live in UiMenuEx, which owns the levels.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <vector>

class QScrollArea;

namespace qor {

class TuiMenuItemsEx;
class UiMenuEx;

// One row: its text, check mark, extender arrow, and the selected and hot look.
class TuiMenuBoxItem : public QWidget {
 public:
  TuiMenuBoxItem(QWidget* parent, UiMenuEx& menu, TuiMenuItemsEx& level, int index);

  void SetText(const QString& text);
  const QString& Text() const { return FText; }
  void SetState(bool checked, bool selected, bool extender, uint32_t itemID);
  void SetHot(bool hot);
  bool IsChecked() const { return FIsChecked; }
  bool IsSelected() const { return FIsSelected; }
  bool IsExtender() const { return FIsExtender; }
  uint32_t ItemID() const { return FItemID; }
  int Index() const { return FIndex; }
  TuiMenuItemsEx& Level() const { return FLevel; }
  // What assistive technology's "click" does: the choice a user's click makes.
  void AccessibleClick();
  // The font and the rectangle the text is drawn in; a longer text is cut with an ellipsis.
  QFont TextFont() const;
  QRect TextArea() const;
  // The room a row keeps beside its text: the check mark's on the left, the extender arrow's
  // on the right (the level's text padding comes on top).
  static constexpr int kCheckRoom = 28, kExtenderRoom = 24;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  UiMenuEx& FMenu;
  TuiMenuItemsEx& FLevel;
  int FIndex;
  QString FText;
  bool FIsChecked = false;
  bool FIsSelected = false;
  bool FIsExtender = false;
  bool FHot = false;
  uint32_t FItemID = 0;
};

class TuiMenuBox : public QWidget {
 public:
  TuiMenuBox(UiMenuEx& menu, TuiMenuItemsEx& level);
  ~TuiMenuBox() override;

  TuiMenuItemsEx& Level() const { return FLevel; }
  // The control or row the level was opened from: its parent for assistive technology, since
  // pop-ups are no children of the application there.
  void SetOpener(QWidget* opener) { FOpener = opener; }
  QWidget* Opener() const { return FOpener; }
  // The open level whose opener is `opener`, or null.
  static TuiMenuBox* OpenedFrom(const QWidget* opener);
  // Makes one row per item, each with the translation of its caption; returns the widest
  // text in pixels.
  int RebuildRows();
  // Refreshes the rows' check marks and extender arrows from the items and selects a row.
  void UpdateRows(int selected);
  // The selected position (an extender's too, though it is not drawn selected); -1: none.
  int Selected() const { return FSelected; }
  // Lays the rows out at `height` pixels each inside the background margins.
  void SetRowHeight(int height);
  int RowCount() const { return static_cast<int>(FRows.size()); }
  TuiMenuBoxItem* Row(int index) const;
  // The row under a point of the screen, or null.
  TuiMenuBoxItem* RowAt(const QPoint& global) const;
  // Scrolls the row into view.
  void ShowRow(int index);
  void SetHotRow(int index);
  int HotRow() const { return FHot; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Tell assistive technology that a menu opened or closed.
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  UiMenuEx& FMenu;
  TuiMenuItemsEx& FLevel;
  QPointer<QWidget> FOpener;
  QScrollArea* FScroll;
  QWidget* FContent;
  std::vector<TuiMenuBoxItem*> FRows;
  int FRowHeight = 40;
  int FHot = -1;
  int FSelected = -1;
};

// Makes the levels AT-SPI menus and the rows menu items; called once by the widget set.
void InstallMenuAccessibility();

}  // namespace qor
