// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "ui/menu_items.h"

namespace qor {
namespace {

TuiMenuItemEx& add(TuiMenuItemsEx& level) {
  TuiMenuItemEx* item = level.Add();
  EXPECT_NE(item, nullptr);
  return *item;
}

TEST(MenuItems, NamesAndIdsFollowTheLevels) {
  TuiMenuEx menu;
  for (int i = 1; i <= 7; ++i) {
    TuiMenuItemEx& item = add(menu.Items());
    EXPECT_EQ(item.Name, "Item" + std::to_string(i));
    EXPECT_EQ(item.ItemID(), uint32_t(i));
  }
  TuiMenuItemEx& seventh = menu.Items().Items(6);
  TuiMenuItemEx& first = add(seventh.SubItems());
  add(seventh.SubItems());
  EXPECT_EQ(first.ItemID(), 701u);
  for (int i = 0; i < 2; ++i) add(first.SubItems());
  EXPECT_EQ(add(first.SubItems()).ItemID(), 70103u);
  EXPECT_EQ(&first.SubItems().OwnerItem()->Collection(), &seventh.SubItems());
  EXPECT_EQ(&first.SubItems().RootMenu(), &menu);

  // IDs stay with their items; a free name is taken again.
  seventh.SubItems().Delete(0);
  EXPECT_EQ(seventh.SubItems().Items(0).ItemID(), 702u);
  TuiMenuItemEx& refill = add(seventh.SubItems());
  EXPECT_EQ(refill.Name, "Item1");
  EXPECT_EQ(refill.ItemID(), 701u);

  // A rebuilt level numbers from Item1 again.
  seventh.SubItems().Clear();
  EXPECT_EQ(add(seventh.SubItems()).ItemID(), 701u);
  EXPECT_EQ(add(seventh.SubItems()).ItemID(), 702u);
}

TEST(MenuItems, AnIdBeyondThirtyTwoBitsIsRefused) {
  TuiMenuEx menu;
  TuiMenuItemsEx* level = &menu.Items();
  uint32_t id = 0;
  for (int depth = 0; depth < 5; ++depth) {
    TuiMenuItemEx& item = add(*level);
    id = id * 100 + 1;
    EXPECT_EQ(item.ItemID(), id);
    level = &item.SubItems();
  }
  EXPECT_EQ(id, 101010101u);
  EXPECT_EQ(level->Add(), nullptr);  // 10101010101 does not fit
  EXPECT_EQ(level->Count(), 0);
}

TEST(MenuItems, TheSelectedRowComesFromTheSelectedIdElseTheRememberedRow) {
  TuiMenuEx menu;
  TuiMenuItemsEx& top = menu.Items();
  for (int i = 0; i < 3; ++i) add(top);
  TuiMenuItemsEx& sub = top.Items(1).SubItems();
  for (int i = 0; i < 3; ++i) add(sub);

  struct Case {
    uint64_t selected;
    int itemIndex;
    int topRow, subRow;
  } cases[] = {
      {3, -1, 2, -1},
      {202, -1, -1, 1},  // a sub-item's ID selects on its own level only
      {202, 0, 0, 1},    // the remembered row where no ID matches
      {uint64_t(-1), -1, -1, -1},
      {(uint64_t(1) << 32) | 2, 1, 1, 1},  // the upper half counts: this is not item 2
      {0, 5, -1, -1},                      // a remembered row past the end selects nothing
  };
  for (const Case& c : cases) {
    TuiMenuEx::SetSelectedMenuID(c.selected);
    top.ItemIndex = sub.ItemIndex = c.itemIndex;
    EXPECT_EQ(top.SelectedRow(), c.topRow) << c.selected;
    EXPECT_EQ(sub.SelectedRow(), c.subRow) << c.selected;
  }
  TuiMenuEx another;  // a new menu resets the selected ID
  EXPECT_EQ(TuiMenuEx::SelectedMenuID(), 0u);
}

TEST(MenuItems, CheckedStateByPosition) {
  TuiMenuEx menu;
  add(menu.Items());
  add(menu.Items());
  menu.Items().SetItemCheckedState(1, true);
  menu.Items().SetItemCheckedState(2, true);
  menu.Items().SetItemCheckedState(-1, true);
  EXPECT_FALSE(menu.Items().Items(0).Checked);
  EXPECT_TRUE(menu.Items().Items(1).Checked);
}

TEST(MenuItems, AClickGoesToTheItemElseToTheRoot) {
  TuiMenuEx menu;
  TuiMenuItemEx& own = add(menu.Items());
  TuiMenuItemEx& plain = add(menu.Items());
  TuiMenuItemEx& parent = add(menu.Items());
  add(parent.SubItems());
  plain.Name = "Copy";
  EXPECT_FALSE(menu.ReportClick(plain));  // nobody listens

  std::string heard;
  own.OnClick = [&](TuiMenuItemEx& sender, void* buffer, int size) {
    heard = "own " + sender.Name + (buffer == nullptr && size == 0 ? "" : " with buffer");
  };
  menu.OnItemsClick = [&](TuiMenuItemEx&, const std::string& name, uint32_t id, void*, int) {
    heard = "root " + name + " " + std::to_string(id);
  };
  EXPECT_TRUE(menu.ReportClick(own));
  EXPECT_EQ(heard, "own Item1");
  EXPECT_TRUE(menu.ReportClick(plain));
  EXPECT_EQ(heard, "root Copy 2");
  heard.clear();
  EXPECT_FALSE(menu.ReportClick(parent));  // a row with a sub-menu is no choice
  EXPECT_EQ(heard, "");

  // The handler may rebuild the level it was chosen from.
  menu.OnItemsClick = [&](TuiMenuItemEx&, const std::string& name, uint32_t, void*, int) {
    menu.Items().Clear();
    heard = name;
  };
  EXPECT_TRUE(menu.ReportClick(plain));
  EXPECT_EQ(heard, "Copy");
  EXPECT_EQ(menu.Items().Count(), 0);
}

TEST(MenuItems, AChoiceForgetsTheSelectionOfTheOtherLevels) {
  TuiMenuEx menu;
  TuiMenuItemEx& a = add(menu.Items());
  TuiMenuItemEx& b = add(a.SubItems());
  add(b.SubItems());
  menu.Items().ItemIndex = 0;
  a.SubItems().ItemIndex = 0;
  b.SubItems().ItemIndex = 0;
  menu.ClearItemIndexes(&a.SubItems());
  EXPECT_EQ(menu.Items().ItemIndex, -1);
  EXPECT_EQ(a.SubItems().ItemIndex, 0);
  EXPECT_EQ(b.SubItems().ItemIndex, -1);
}

}  // namespace
}  // namespace qor
