// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "ui/menu_geometry.h"

namespace qor {
namespace {

// A root with one top level of `rows` items, the first of which has a sub-level of
// `subRows` items.
struct Menu {
  TuiMenuEx root;
  explicit Menu(int rows = 3, int subRows = 2) {
    for (int i = 0; i < rows; ++i) root.Items().Add();
    for (int i = 0; i < subRows; ++i) root.Items().Items(0).SubItems().Add();
  }
  TuiMenuItemsEx& top() { return root.Items(); }
  TuiMenuItemsEx& sub() { return root.Items().Items(0).SubItems(); }
};

TEST(MenuGeometry, RowHeightsFollowTheLook) {
  struct Case {
    bool custom, useParent;
    int rootHeight, ownHeight;
    MenuLook look;
    int row;
  } cases[] = {
      {false, true, 30, 30, MenuLook::Default, 40},
      {false, false, 12, 50, MenuLook::Default, 40},  // without custom parameters, always 40
      {true, true, 28, 50, MenuLook::Root, 28},
      {true, true, 12, 50, MenuLook::Root, 20},  // never lower than 20
      {true, false, 28, 50, MenuLook::Own, 50},
      {true, false, 28, 5, MenuLook::Own, 20},
  };
  for (const Case& c : cases) {
    Menu m;
    m.root.UseCustomMenuParams = c.custom;
    m.root.Parameters.ItemHeight = c.rootHeight;
    m.sub().UseParentParameter = c.useParent;
    m.sub().Parameters.ItemHeight = c.ownHeight;
    EXPECT_EQ(LevelLook(m.sub()), c.look);
    EXPECT_EQ(MenuRowHeight(m.sub()), c.row) << c.rootHeight << " " << c.ownHeight;
  }
}

TEST(MenuGeometry, LevelSizes) {
  struct Case {
    const char* what;
    bool custom, useParent, autoSize;
    int rows, itemWidth, customWidth, customHeight, caption;
    int width, height;
    bool scrolls;
  } cases[] = {
      // Root margins 4/6/8/10 (left, top, right, bottom), own margins 1/2/3/4, caption 120.
      {"default look", false, true, true, 3, 0, 0, 0, 120, 220, 3 * 40 + 16, false},
      {"root look adds the root's side margins", true, true, true, 3, 0, 0, 0, 120, 232,
       3 * 28 + 16, false},
      {"own look: own side margins, 5 more", true, false, true, 3, 0, 0, 0, 120, 224, 3 * 30 + 21,
       false},
      {"own look, fixed item width", true, false, false, 3, 150, 0, 0, 120, 154, 3 * 30 + 21,
       false},
      {"custom sizes replace", true, true, true, 3, 0, 300, 64, 120, 300, 64, true},
      {"the macro level: 22 rows of 28 in 392", true, true, true, 22, 0, 0, 392, 120, 232, 392,
       true},
      {"taller than the screen", false, true, true, 200, 0, 0, 0, 120, 220, 1080, true},
      {"custom height beyond the screen", true, true, true, 2, 0, 0, 5000, 120, 232, 1080, false},
      {"a caption wider than the screen", false, true, true, 2, 0, 0, 0, 4000, 1920, 96, false},
  };
  for (const Case& c : cases) {
    Menu m(c.rows, 0);
    TuiMenuItemsEx& level = m.top();
    m.root.UseCustomMenuParams = c.custom;
    m.root.Parameters.ItemHeight = 28;
    m.root.Parameters.BGMargins = {4, 6, 8, 10};
    level.UseParentParameter = c.useParent;
    level.Parameters.BGMargins = {1, 2, 3, 4};
    level.Parameters.ItemAutoSize = c.autoSize;
    level.Parameters.ItemWidth = c.itemWidth;
    TMenuParams& custom = c.useParent ? m.root.Parameters : level.Parameters;
    custom.CustomWidth = c.customWidth;
    custom.CustomHeight = c.customHeight;
    const MenuLevelSize size = MeasureMenuLevel(level, c.rows, c.caption, 1920, 1080);
    EXPECT_EQ(size.Width, c.width) << c.what;
    EXPECT_EQ(size.Height, c.height) << c.what;
    EXPECT_EQ(size.Scrolls, c.scrolls) << c.what;
  }
}

TEST(MenuGeometry, Placement) {
  const MenuRect screen{0, 0, 1920, 1080};
  struct Case {
    const char* what;
    MenuRect target, window;
    MenuPlacement placement;
    bool rectangle;
    int width, height;
    MenuPoint at;
  } cases[] = {
      {"right centre",
       {500, 400, 100, 40},
       {450, 300, 300, 400},
       MenuPlacement::RightCenter,
       false,
       200,
       120,
       {600, 360}},
      {"left centre",
       {500, 400, 100, 40},
       {450, 300, 300, 400},
       MenuPlacement::LeftCenter,
       false,
       200,
       120,
       {300, 360}},
      {"sub-level right of its row",
       {700, 520, 220, 28},
       {700, 500, 220, 100},
       MenuPlacement::Right,
       false,
       180,
       84,
       {920, 520}},
      {"flip at the right edge: left of the holding window",
       {1600, 400, 100, 40},
       {1500, 300, 300, 400},
       MenuPlacement::RightCenter,
       false,
       300,
       120,
       {1200, 360}},
      {"exactly reaching the edge flips",
       {1600, 400, 100, 40},
       {1500, 300, 300, 400},
       MenuPlacement::RightCenter,
       false,
       220,
       120,
       {1280, 360}},
      {"a sub-level at the edge opens left of its parent level",
       {1700, 520, 220, 28},
       {1700, 500, 220, 100},
       MenuPlacement::Right,
       false,
       180,
       84,
       {1520, 520}},
      {"placement rectangle at the edge: left by its width, 20 down",
       {1700, 400, 100, 40},
       {1500, 300, 400, 400},
       MenuPlacement::RightCenter,
       true,
       200,
       120,
       {1700, 380}},
      {"kept inside the screen at the bottom",
       {500, 1050, 100, 20},
       {450, 900, 300, 180},
       MenuPlacement::Right,
       false,
       200,
       300,
       {600, 780}},
      {"and at the top",
       {500, 10, 100, 20},
       {450, 0, 300, 180},
       MenuPlacement::RightCenter,
       false,
       200,
       300,
       {600, 0}},
  };
  for (const Case& c : cases) {
    MenuPlacementRequest r{c.target, c.placement, c.window, screen, c.rectangle};
    EXPECT_EQ(PlaceMenuLevel(r, c.width, c.height), c.at) << c.what;
  }
  // The edge test itself: target right + width at the screen width flips, one less does not.
  MenuPlacementRequest r{{1600, 400, 100, 40}, MenuPlacement::Right, {1500, 0, 300, 900}, screen};
  EXPECT_EQ(PlaceMenuLevel(r, 220, 40).X, 1280);
  EXPECT_EQ(PlaceMenuLevel(r, 219, 40).X, 1700);
}

TEST(MenuGeometry, KeysMoveTheSelection) {
  const std::vector<std::u16string> rows = {
      u"Left Click", u"right click", u"Macro", u"Ärger", u"Émile", u"", u"Rapid Fire"};
  struct Case {
    int current;
    MenuKey key;
    char32_t c;
    int expected;
  } cases[] = {
      {-1, MenuKey::Character, U'r', 1},  // the first match, without regard to case
      {1, MenuKey::Character, U'R', 1},   // the first row again, not the next match
      {0, MenuKey::Character, U'ä', 3},
      {2, MenuKey::Character, U'é', 4},
      {2, MenuKey::Character, U'z', 2},  // no match: unchanged
      {4, MenuKey::Home, 0, 0},
      {1, MenuKey::End, 0, 6},
      {2, MenuKey::Up, 0, 1},
      {0, MenuKey::Up, 0, 0},  // never past the ends
      {0, MenuKey::Left, 0, 0},
      {4, MenuKey::Down, 0, 5},
      {6, MenuKey::Right, 0, 6},
      {-1, MenuKey::Down, 0, 0},
      {-1, MenuKey::Up, 0, 6},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MenuKeySelection(rows, c.current, c.key, c.c), c.expected)
        << int(c.key) << " from " << c.current;
  EXPECT_EQ(MenuKeySelection({}, -1, MenuKey::Down), -1);
}

}  // namespace
}  // namespace qor
