// SPDX-License-Identifier: GPL-2.0-or-later
// What a button does: the function menu's items, applying a choice, captions and hints.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/profile_records.h"

namespace qor {

// Menu item IDs of the button function menu: top-level N, sub-items N x 100 + n.
namespace button_menu {
inline constexpr int32_t kLeftClick = 1, kRightClick = 2, kMiddleButton = 3, kForward = 4,
                         kBackward = 5, kComboKey = 6, kBasic = 7, kAdvanced = 8, kMedia = 9,
                         kMacro = 10, kFireKey = 11, kDisable = 12;
inline constexpr int32_t kFirstEdit = 701, kLastEdit = 708;
inline constexpr int32_t kFirstWindows = 801, kLastWindows = 806;
inline constexpr int32_t kFirstMedia = 901, kLastMedia = 907;
inline constexpr int32_t kMacroManager = 1001, kFirstMacro = 1002, kLastMacro = 1099;
}  // namespace button_menu

inline constexpr int kMaxMacrosOnButtons = 5;  // the mouse holds five macros
inline constexpr int kMacroCheckedButtons = 10;
inline constexpr const char* kTooManyMacrosTitle = "Warning!";
inline constexpr const char* kTooManyMacrosText =
    "You can assign macros to buttons shall not exceed 5 .";

// One item of the menu as defined with the button window (the macro items are built from the
// profile's macro list instead).
struct ButtonMenuEntry {
  int32_t id;
  const char* caption;
  std::vector<ButtonMenuEntry> subItems;
};
const std::vector<ButtonMenuEntry>& ButtonMenuDefinition();

// The dialogs a choice may need; each edits the record and returns its modal result (1 = OK).
struct ButtonChoiceDialogs {
  std::function<int(TCOMBOKEYINFO&)> ComboKey;
  std::function<int(TFIREKEYINFO&)> FireKey;
};

enum class ButtonChoice {
  Applied,        // entry written (the caller saves it back and refreshes the caption)
  Cancelled,      // a dialog was cancelled; nothing changed
  TooManyMacros,  // a sixth distinct macro on buttons 0..9; the entry kept its function
  NotAChoice,     // an ID that does not choose a function here (items with sub-menus, 1001)
};

// Applies the menu choice `menuItemID` to button entry `button` (0..14) of `profile`.
ButtonChoice ApplyButtonMenuChoice(TMOUSEPROFILEINFO& profile, int button, int32_t menuItemID,
                                   const ButtonChoiceDialogs& dialogs);

// The number of distinct macros on button entries 0..9.
int CountMacrosOnButtons(const TMOUSEPROFILEINFO& profile);

// Turns every macro button (row 27) whose macro is no longer in the list into "Disable" and
// re-binds the others to their macro's current position.
void RebindMacroButtons(TMOUSEPROFILEINFO& profile);

// "<" + modifiers + key(s) + ">" for a key-combination entry (row 5), else "".
std::string CombinationDescription(const TBUTTONFUNCINFO& entry);

using Translator = std::function<std::string(const std::string&)>;
// The caption a button shows for menu item `id`, translated; macro items read the profile's
// list. An ID that names no item gives "".
std::string ButtonCaptionForID(int32_t id, const TMOUSEPROFILEINFO& profile,
                               const Translator& translate);
// The caption of entry `button`: from its MenuItemID, or from its row when that is 0; a
// combination shows its description (cut to 9 characters and "..." past 12).
std::string ButtonCaption(const TMOUSEPROFILEINFO& profile, int button,
                          const Translator& translate);

}  // namespace qor
