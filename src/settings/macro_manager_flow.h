// SPDX-License-Identifier: GPL-2.0-or-later
// What becomes of the profile when the macro manager, opened from a button's menu, returns.
#pragma once

#include "model/profile_records.h"

namespace qor {

// What the macro manager handed back.
struct MacroManagerResult {
  int modalResult = 2;       // 1 OK, 2 cancel
  int macroIndex = -1;       // the macro selected when it closed
  TMACROKEYINFOLIST list{};  // the edited list (meaningful on OK)
};

enum class MacroManagerOutcome {
  Unchanged,      // cancelled: nothing to save
  Rebound,        // list taken, macro buttons re-bound; the button kept its function
  Assigned,       // ... and the button got the selected macro
  TooManyMacros,  // ... but the selected macro would be a sixth on the buttons: refused
};

// On OK the edited list replaces the profile's; then every macro button is re-bound by name
// (a vanished macro makes its button "Disable"); then button `button` gets the selected
// macro, when it names one the profile holds, under the five-macro limit. Every outcome but
// Unchanged leaves a profile the caller saves back.
MacroManagerOutcome ApplyMacroManagerResult(TMOUSEPROFILEINFO& profile, int button,
                                            const MacroManagerResult& result);

}  // namespace qor
