// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/app_profile_follower.h"

namespace qor {

std::optional<int> AppProfileFollower::FocusChanged(const std::vector<AppBinding>& bindings,
                                                    const std::vector<std::string>& names,
                                                    int current) {
  std::optional<int> wanted;
  if (const std::optional<int> bound = BoundProfile(bindings, names)) {
    if (!FReturnTo) FReturnTo = current;
    wanted = *bound - 1;
  } else if (FReturnTo) {
    wanted = *FReturnTo;
    FReturnTo.reset();
  }
  if (wanted == current) return std::nullopt;
  return wanted;
}

}  // namespace qor
