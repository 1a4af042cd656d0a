// SPDX-License-Identifier: GPL-2.0-or-later
// The current profile's pointer settings handed to the desktop again, for the monitor: X11
// forgets the pointer acceleration at logout and when the mouse is plugged in again, and
// other desktops may reset it too.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/pointer_settings.h"
#include "platform/registry.h"

namespace qor {

class StoredPointerRestore {
 public:
  StoredPointerRestore(Registry& registry, std::shared_ptr<PointerSettings> pointer);

  // Hands the speed, acceleration, wheel lines and double-click time of the current profile
  // to the desktop: `profile` (0..4) when given, else the stored current profile. Reads the
  // stored profile and never writes it. False, with Problem(), when no profile could be read
  // (nothing is handed on).
  bool Restore(std::optional<int> profile = std::nullopt);
  // Tells whether the mouse is there after a device change; restores when it came (absent
  // before, present now). True when it restored.
  bool MousePresence(bool present, std::optional<int> profile = std::nullopt);
  const std::string& Problem() const { return FProblem; }

 private:
  Registry& FRegistry;
  std::shared_ptr<PointerSettings> FPointer;
  bool FPresent = false;
  std::string FProblem;
};

}  // namespace qor
