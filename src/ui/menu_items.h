// SPDX-License-Identifier: GPL-2.0-or-later
// The function menu's items: a root (TuiMenuEx) over levels (TuiMenuItemsEx) of items
// (TuiMenuItemEx), with the names and IDs items get when added, the process-wide selected ID,
// which row a level shows as selected and whom a click is reported to. The window toolkit
// draws the menu from this data.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/menu_params.h"

namespace qor {

class TuiMenuEx;
class TuiMenuItemEx;
class TuiMenuItemsEx;

// The buffer arguments carry no buffer and the size 0 in this program.
using TuiMenuItemsClick =
    std::function<void(TuiMenuItemEx& Sender, const std::string& AMenuItemName,
                       uint32_t AMenuItemID, void* ABufferPointer, int ASize)>;
using TuiMenuItemClick =
    std::function<void(TuiMenuItemEx& Sender, void* ABufferPointer, int ASize)>;
using TuiMenuClose = std::function<void(TuiMenuItemsEx& Sender)>;

// One menu level; it owns its items, which keep their address while they are in it.
class TuiMenuItemsEx {
 public:
  // A level of ARoot: the top level when AOwnerItem is null, else AOwnerItem's sub-menu.
  TuiMenuItemsEx(TuiMenuEx& ARoot, TuiMenuItemEx* AOwnerItem);
  ~TuiMenuItemsEx();
  TuiMenuItemsEx(const TuiMenuItemsEx&) = delete;
  TuiMenuItemsEx& operator=(const TuiMenuItemsEx&) = delete;

  // Appends an item named "Item" followed by the lowest N from 1 up that no item of this
  // level has as its name. Its ItemID is N on the top level, else the parent's ItemID x 100
  // + N, fixed from now on. Returns null, adding nothing, when that ID does not fit 32 bits.
  TuiMenuItemEx* Add();
  // Removes the item at AIndex (and its sub-menu); other positions are ignored.
  void Delete(int AIndex);
  void Clear();
  int Count() const { return static_cast<int>(FItems.size()); }
  TuiMenuItemEx& Items(int AIndex) const { return *FItems.at(AIndex); }
  // Sets Checked of the item at AItemIndex; positions outside the level are ignored.
  void SetItemCheckedState(int AItemIndex, bool AState);
  // The row to show as selected: the first item whose ItemID equals the selected ID (when
  // that lies in 0..4294967295), else ItemIndex; -1 when neither names a row.
  int SelectedRow() const;

  TuiMenuEx& RootMenu() const { return FRoot; }
  // The item whose sub-menu this is; null on the top level.
  TuiMenuItemEx* OwnerItem() const { return FOwnerItem; }

  int ItemIndex = -1;  // the remembered selected row
  bool UseParentParameter = true;
  // This level's own look, used when the root's UseCustomMenuParams is on and
  // UseParentParameter is off.
  TMenuParams Parameters;

 private:
  TuiMenuEx& FRoot;
  TuiMenuItemEx* FOwnerItem;
  std::vector<std::unique_ptr<TuiMenuItemEx>> FItems;
};

class TuiMenuItemEx {
 public:
  TuiMenuItemEx(TuiMenuItemsEx& ACollection, std::string AName, uint32_t AItemID);
  TuiMenuItemEx(const TuiMenuItemEx&) = delete;
  TuiMenuItemEx& operator=(const TuiMenuItemEx&) = delete;

  uint32_t ItemID() const { return FItemID; }
  TuiMenuItemsEx& SubItems() { return FSubItems; }
  const TuiMenuItemsEx& SubItems() const { return FSubItems; }
  // Whether the row opens a sub-menu (an extender row).
  bool HasSubItems() const { return FSubItems.Count() > 0; }
  // The level this item belongs to.
  TuiMenuItemsEx& Collection() const { return FCollection; }

  std::string Caption;  // shown translated
  std::string Hint;
  std::string Data;
  std::string Name;
  std::string ShortDescription;
  std::string Description;
  TuiMenuItemClick OnClick;
  bool Checked = false;
  bool Default = false;
  bool Enabled = true;
  bool RadioItem = false;
  bool Visible = true;
  int ImageIndex = -1;
  uint16_t ShortCut = 0;
  double ItemHeight = 0;

 private:
  TuiMenuItemsEx& FCollection;
  uint32_t FItemID;
  TuiMenuItemsEx FSubItems;
};

class TuiMenuEx {
 public:
  // Resets the process-wide selected ID to 0.
  TuiMenuEx();
  TuiMenuEx(const TuiMenuEx&) = delete;
  TuiMenuEx& operator=(const TuiMenuEx&) = delete;

  TuiMenuItemsEx& Items() { return FItems; }
  const TuiMenuItemsEx& Items() const { return FItems; }

  // The ID of the current choice, shared by every menu of the process. Showing the menu with
  // a selected ID sets it; 64 bits wide, so -1 (no choice) matches no item.
  static uint64_t SelectedMenuID() { return FSelectedMenuID; }
  static void SetSelectedMenuID(uint64_t AID) { FSelectedMenuID = AID; }

  // Reports a click on AItem to its own OnClick, else to OnItemsClick with its Name and
  // ItemID. An item with a sub-menu is not a choice: nothing is reported. Returns whether a
  // handler was called. The handler may rebuild the menu, AItem included.
  bool ReportClick(TuiMenuItemEx& AItem);
  // Forgets the remembered selection (ItemIndex = -1) of every level except AKeep, as a
  // chosen row does.
  void ClearItemIndexes(const TuiMenuItemsEx* AKeep);

  bool UseCustomMenuParams = false;
  // The look of every level that uses its parent's parameters.
  TMenuParams Parameters;
  TuiMenuItemsClick OnItemsClick;
  TuiMenuClose OnMenuClose;

 private:
  static inline uint64_t FSelectedMenuID = 0;
  TuiMenuItemsEx FItems;
};

}  // namespace qor
