// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/button_function_table.h"

namespace qor {
namespace {

constexpr std::array<ButtonFunctionRow, kButtonFunctionRows> kTable = {{
    {0, 1, 1},      // "Left Click"
    {1, 2, 2},      // "Right Click"
    {2, 3, 3},      // "Middle Button"
    {3, 5, 4},      // "Forward" sends the device's forward code 5
    {4, 4, 5},      // "Backward" sends the back code 4
    {5, 15, 6},     // "Combo Key"
    {6, 15, 701},   // "Cut"
    {7, 15, 702},   // "Copy"
    {8, 15, 703},   // "Paste"
    {9, 15, 704},   // "Select All"
    {10, 15, 705},  // "Find"
    {11, 15, 706},  // "New"
    {12, 15, 707},  // "Print"
    {13, 15, 708},  // "Save"
    {14, 15, 801},  // "Switch Window"
    {15, 15, 802},  // "Close Window"
    {16, 15, 803},  // "Open Explorer"
    {17, 15, 804},  // "Run"
    {18, 15, 805},  // "Show Desktop"
    {19, 15, 806},  // "Lock PC"
    {20, 14, 901},  // "Play/Pause"
    {21, 14, 902},  // "Stop"
    {22, 14, 903},  // "Previous"
    {23, 14, 904},  // "Next"
    {24, 14, 905},  // "Volume Up"
    {25, 14, 906},  // "Volume Down"
    {26, 14, 907},  // "Mute"
    {27, 17, 10},   // "Macro"
    {28, 18, 11},   // "Fire Key..."
    {29, 14, 12},   // "Disable": consumer code 0
}};

static_assert([] {
  for (int i = 0; i < kButtonFunctionRows; ++i)
    if (kTable[i].Row != i) return false;
  return true;
}());

}  // namespace

const std::array<ButtonFunctionRow, kButtonFunctionRows>& ButtonFunctionTable() {
  return kTable;
}

int32_t ButtonFunctionCode(int row) {
  return row >= 0 && row < kButtonFunctionRows ? kTable[row].Code : -1;
}

int32_t ButtonFunctionMenuItemID(int row) {
  return row >= 0 && row < kButtonFunctionRows ? kTable[row].MenuItemID : -1;
}

int ButtonFunctionRowOfMenuItem(int32_t menuItemID) {
  for (const ButtonFunctionRow& r : kTable)
    if (r.MenuItemID == menuItemID) return r.Row;
  return menuItemID;
}

}  // namespace qor
