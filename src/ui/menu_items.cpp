// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/menu_items.h"

#include <algorithm>
#include <limits>

#include "ui/numbered_name.h"

namespace qor {
namespace {

constexpr uint64_t kIdsPerLevel = 100;

void clearItemIndexes(TuiMenuItemsEx& level, const TuiMenuItemsEx* keep) {
  if (&level != keep) level.ItemIndex = -1;
  for (int i = 0; i < level.Count(); ++i) clearItemIndexes(level.Items(i).SubItems(), keep);
}

}  // namespace

// ---- TuiMenuItemsEx -------------------------------------------------------------------------

TuiMenuItemsEx::TuiMenuItemsEx(TuiMenuEx& ARoot, TuiMenuItemEx* AOwnerItem)
    : FRoot(ARoot), FOwnerItem(AOwnerItem) {}

TuiMenuItemsEx::~TuiMenuItemsEx() = default;

TuiMenuItemEx* TuiMenuItemsEx::Add() {
  const uint32_t n = LowestFreeNumber("Item", [this](const std::string& name) {
    return std::any_of(FItems.begin(), FItems.end(),
                       [&name](const auto& item) { return item->Name == name; });
  });
  const uint64_t id = FOwnerItem ? uint64_t(FOwnerItem->ItemID()) * kIdsPerLevel + n : n;
  if (id > std::numeric_limits<uint32_t>::max()) return nullptr;
  FItems.push_back(std::make_unique<TuiMenuItemEx>(*this, "Item" + std::to_string(n),
                                                   static_cast<uint32_t>(id)));
  return FItems.back().get();
}

void TuiMenuItemsEx::Delete(int AIndex) {
  if (AIndex >= 0 && AIndex < Count()) FItems.erase(FItems.begin() + AIndex);
}

void TuiMenuItemsEx::Clear() {
  FItems.clear();
}

void TuiMenuItemsEx::SetItemCheckedState(int AItemIndex, bool AState) {
  if (AItemIndex >= 0 && AItemIndex < Count()) FItems[AItemIndex]->Checked = AState;
}

int TuiMenuItemsEx::SelectedRow() const {
  const uint64_t selected = TuiMenuEx::SelectedMenuID();
  if (selected <= std::numeric_limits<uint32_t>::max()) {
    for (int i = 0; i < Count(); ++i)
      if (FItems[i]->ItemID() == selected) return i;
  }
  return ItemIndex >= 0 && ItemIndex < Count() ? ItemIndex : -1;
}

// ---- TuiMenuItemEx --------------------------------------------------------------------------

TuiMenuItemEx::TuiMenuItemEx(TuiMenuItemsEx& ACollection, std::string AName, uint32_t AItemID)
    : Name(std::move(AName)),
      FCollection(ACollection),
      FItemID(AItemID),
      FSubItems(ACollection.RootMenu(), this) {}

// ---- TuiMenuEx ------------------------------------------------------------------------------

TuiMenuEx::TuiMenuEx() : FItems(*this, nullptr) {
  FSelectedMenuID = 0;
}

bool TuiMenuEx::ReportClick(TuiMenuItemEx& AItem) {
  if (AItem.HasSubItems()) return false;
  // Copies: the handler may delete the item while it runs.
  if (TuiMenuItemClick onClick = AItem.OnClick) {
    onClick(AItem, nullptr, 0);
    return true;
  }
  if (TuiMenuItemsClick onItemsClick = OnItemsClick) {
    const std::string name = AItem.Name;
    onItemsClick(AItem, name, AItem.ItemID(), nullptr, 0);
    return true;
  }
  return false;
}

void TuiMenuEx::ClearItemIndexes(const TuiMenuItemsEx* AKeep) {
  clearItemIndexes(FItems, AKeep);
}

}  // namespace qor
