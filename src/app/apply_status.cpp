// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/apply_status.h"

namespace qor {

std::vector<std::string_view> ApplyStatusTexts(ApplyResult result, bool saved) {
  if (result == ApplyResult::Applied && saved) return {"Settings applied"};
  const std::string_view save = saved ? "Settings saved." : "Saving the settings failed.";
  switch (result) {
    case ApplyResult::Applied:
      return {save, "They were sent to the mouse."};
    case ApplyResult::NoMouse:
      return {save, "No mouse is connected, so nothing was sent."};
    case ApplyResult::MouseStopped:
      return {save, "The mouse stopped answering: reconnect it and press Apply again."};
    case ApplyResult::NoProfile:
      break;
  }
  return {save, "The profile is not valid, so nothing was sent."};
}

}  // namespace qor
