// SPDX-License-Identifier: GPL-2.0-or-later
// Profiles that follow the focused application: which profile to make current when the focus
// moves.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/app_bindings.h"

namespace qor {

class AppProfileFollower {
 public:
  // The focus went to a window of the application `names` (none: no window) while profile
  // `current` (0..4) is current. Returns the profile index to switch to, or nothing. A bound
  // application brings its profile; leaving the bound applications returns to the profile that
  // was current before the first of them took the focus.
  std::optional<int> FocusChanged(const std::vector<AppBinding>& bindings,
                                  const std::vector<std::string>& names, int current);

 private:
  std::optional<int> FReturnTo;  // the profile current before a bound application came
};

}  // namespace qor
