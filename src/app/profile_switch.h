// SPDX-License-Identifier: GPL-2.0-or-later
// Another profile made current and uploaded from outside the window (the monitor), through
// Apply's own sequence.
#pragma once

#include <memory>
#include <string>

#include "model/data_module.h"
#include "platform/pointer_settings.h"

namespace qor {

class TuiHIDData;

enum class ProfileSwitchResult {
  Switched,      // profile current, saved and in the mouse
  WindowOpen,    // the window holds the settings: nothing was changed
  NoMouse,       // no mouse to upload to (see ProfileUpload::onlyWithMouse)
  MouseStopped,  // current and saved; the upload failed (`problem` says where)
  Failed,        // the settings could not be read or saved (`problem` says why)
};

struct ProfileUpload {
  int index = 0;  // the profile (0..4) to make current
  // Without a mouse nothing is changed (NoMouse); otherwise the profile is still made current
  // and saved, and the next Apply uploads it.
  bool onlyWithMouse = false;
};

// Makes the profile current and runs Apply on it: saves, hands the pointer settings to the
// desktop and uploads the profile. Refused (WindowOpen) while another process holds the
// settings lock: the window would overwrite the switch with its next save, and the user would
// see one profile in the window and have another in the mouse.
ProfileSwitchResult SwitchProfileAndApply(const DataModuleEnvironment& env,
                                          const ProfileUpload& upload, TuiHIDData& device,
                                          std::shared_ptr<PointerSettings> pointer,
                                          std::string& problem);

// Whether the mouse's configuration collection is there now; sends nothing.
bool MousePresent(TuiHIDData& device);

}  // namespace qor
