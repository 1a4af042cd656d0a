// SPDX-License-Identifier: GPL-2.0-or-later
#include "settings/macro_manager_flow.h"

#include "settings/button_assignment.h"

namespace qor {

MacroManagerOutcome ApplyMacroManagerResult(TMOUSEPROFILEINFO& profile, int button,
                                            const MacroManagerResult& result) {
  if (result.modalResult != 1) return MacroManagerOutcome::Unchanged;
  profile.MacroKeyInfoList = result.list;
  // Re-binding first: the limit below then counts the macros the buttons really hold.
  RebindMacroButtons(profile);
  const int k = result.macroIndex;
  if (k < 0 || k >= profile.MacroKeyInfoList.nMacroInfoCount || k >= kProfileMacroSlots)
    return MacroManagerOutcome::Rebound;
  switch (ApplyButtonMenuChoice(profile, button, button_menu::kFirstMacro + k, {})) {
    case ButtonChoice::Applied:
      return MacroManagerOutcome::Assigned;
    case ButtonChoice::TooManyMacros:
      return MacroManagerOutcome::TooManyMacros;
    default:
      return MacroManagerOutcome::Rebound;
  }
}

}  // namespace qor
