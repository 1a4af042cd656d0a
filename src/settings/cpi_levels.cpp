// SPDX-License-Identifier: GPL-2.0-or-later
#include "settings/cpi_levels.h"

namespace qor {

bool SwitchCPILevel(TMOUSEPROFILEINFO& profile, int level, bool on) {
  TMOUSECONFIGINFO& c = profile.ConfigInfo;
  if (level < 0 || level >= kEditableCPILevels) return false;
  bool done = true;
  if (on) {
    c.CPIState[level].Enabled = 1;
  } else {
    int othersOn = 0;
    for (int i = 0; i < kEditableCPILevels; ++i)
      othersOn += i != level && c.CPIState[i].Enabled == 1;
    if (othersOn > 0)
      c.CPIState[level].Enabled = 0;
    else
      done = false;  // at least one level always stays on
  }
  for (int i = 0; i < kEditableCPILevels; ++i) {
    if (c.CPIState[i].Enabled == 1) {
      c.CurrentCPIIndex = i;
      break;
    }
  }
  c.CPILevel = kEditableCPILevels;
  return done;
}

}  // namespace qor
