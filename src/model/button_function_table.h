// SPDX-License-Identifier: GPL-2.0-or-later
// The 30 constant rows from which a button's function is chosen.
#pragma once

#include <array>
#include <cstdint>

namespace qor {

struct ButtonFunctionRow {
  int Row;             // row number 0..29
  int32_t Code;        // device function code
  int32_t MenuItemID;  // ItemID of the function menu item that selects the row
};

inline constexpr int kButtonFunctionRows = 30;

// Row r: left/right/middle click, forward, backward, combo key, the editing shortcuts, the
// window commands, the media keys, macro, fire key, disable.
const std::array<ButtonFunctionRow, kButtonFunctionRows>& ButtonFunctionTable();

// The device code of row `row`; -1 outside 0..29.
int32_t ButtonFunctionCode(int row);
// The menu item ID of row `row`; -1 outside 0..29.
int32_t ButtonFunctionMenuItemID(int row);
// The first row holding `menuItemID`; an ID that no row holds is returned as it is.
int ButtonFunctionRowOfMenuItem(int32_t menuItemID);

}  // namespace qor
