// SPDX-License-Identifier: GPL-2.0-or-later
// The function menu's arithmetic without a window system: which look a level uses, the
// height of its rows, the size of its pop-up, where the pop-up opens, whether it scrolls, and
// which row a key selects.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "ui/menu_items.h"

namespace qor {

// A rectangle on the screen, in pixels; right and bottom are left + width and top + height.
struct MenuRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  bool operator==(const MenuRect&) const = default;
};

struct MenuPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const MenuPoint&) const = default;
};

// Rows are this high while the root's UseCustomMenuParams is off.
inline constexpr int kDefaultMenuRowHeight = 40;
// Rows are never lower than this with the root's parameters.
inline constexpr int kMinMenuRowHeight = 20;
// Room beside the widest caption for the check mark and the extender arrow.
inline constexpr int kMenuCaptionRoom = 100;
// A level with parameters of its own is this much taller than its rows and margins.
inline constexpr int kOwnParamsExtraHeight = 5;

// Where a level's look comes from.
enum class MenuLook {
  Default,  // the root's UseCustomMenuParams is off: the skin's look, 40-pixel rows
  Root,     // the root's Parameters
  Own,      // the level's own Parameters
};

MenuLook LevelLook(const TuiMenuItemsEx& level);
// The parameters the level's look names (the root's for Default and Root).
const TMenuParams& LevelParams(const TuiMenuItemsEx& level);
int MenuRowHeight(const TuiMenuItemsEx& level);

// The size of a level's pop-up and whether its rows need scrolling.
struct MenuLevelSize {
  int Width = 0;
  int Height = 0;
  int RowHeight = 0;
  int ContentHeight = 0;  // every row with the margins, before any cap
  bool Scrolls = false;   // the rows do not fit into Height
};

// Sizes a level of the given row count whose widest translated caption is `widestCaption`
// pixels wide, on a screen of `screenWidth` x `screenHeight` (0: unbounded). Custom sizes
// replace the automatic ones; neither is ever wider or taller than the screen.
MenuLevelSize MeasureMenuLevel(const TuiMenuItemsEx& level, int rowCount, int widestCaption,
                               int screenWidth, int screenHeight);

// How a level opens beside its target.
enum class MenuPlacement {
  LeftCenter,   // touching the target's left edge, centred on it vertically
  RightCenter,  // touching its right edge, centred on it vertically
  Right,        // to the right of the target, tops aligned (a sub-level beside its row)
};

struct MenuPlacementRequest {
  MenuRect Target;  // the control (or a sub-level's row), on the screen
  MenuPlacement Placement = MenuPlacement::RightCenter;
  // The window that holds the target (for a sub-level: its parent level's pop-up).
  MenuRect Window;
  MenuRect Screen;
  // A rectangle given with the placement: then Target is that rectangle on the screen.
  bool HasPlacementRectangle = false;
};

// The top-left corner of a pop-up of `width` x `height`. When it would reach past the right
// edge of the screen it opens to the left of the holding window instead (with a placement
// rectangle: moved left by the target's width and 20 pixels down). It is kept inside the
// screen vertically.
MenuPoint PlaceMenuLevel(const MenuPlacementRequest& request, int width, int height);

// The keys that move a level's selection.
enum class MenuKey { Character, Home, End, Up, Down, Left, Right };

// The row a key selects among `rowTexts` (the shown texts), from `current` (-1: none): a
// character the first row whose text begins with it, compared without regard to case;
// Home and End the ends; Up and Left the previous row, Down and Right the next row, never
// past the ends. Returns `current` when the key selects nothing.
int MenuKeySelection(const std::vector<std::u16string>& rowTexts, int current, MenuKey key,
                     char32_t character = 0);

}  // namespace qor
