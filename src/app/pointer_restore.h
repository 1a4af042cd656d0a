// SPDX-License-Identifier: GPL-2.0-or-later
// The pointer settings the user applied, handed to the desktop again by the monitor: X11
// forgets the pointer acceleration at logout and when the mouse is plugged in again, and
// other desktops may reset it too. Only what an Apply handed the desktop is ever handed on
// again, so that an install where nobody pressed Apply changes no desktop setting.
#pragma once

#include <memory>
#include <string>

#include "app/pointer_worker.h"
#include "platform/pointer_settings.h"
#include "platform/registry.h"

namespace qor {

// The registry value (under kRegistryKeyPath) that keeps what the last Apply handed the
// desktop: 12 bytes, the speed, the wheel lines and the acceleration preset, each a 32-bit
// little-endian number.
inline constexpr const char* kAppliedPointerValue = "QOR51AppliedPointer";

// Records that an Apply handed the desktop `values`.
RegistryResult RecordAppliedPointerSettings(Registry& registry, const PointerValues& values);

class AppliedPointerRestore {
 public:
  AppliedPointerRestore(Registry& registry, std::shared_ptr<PointerSettings> pointer);

  // Hands the desktop the values the last Apply recorded, each only where the desktop holds
  // another value. Reads the settings and never writes them. False when nothing was handed
  // on: nothing was applied yet (Problem() is empty), or the record could not be read
  // (Problem() says why).
  bool Restore();
  // Tells whether the mouse is there after a device change; restores when it came (absent
  // before, present now). True when it restored.
  bool MousePresence(bool present);
  const std::string& Problem() const { return FProblem; }

 private:
  Registry& FRegistry;
  std::shared_ptr<PointerSettings> FPointer;
  bool FPresent = false;
  std::string FProblem;
};

}  // namespace qor
