// SPDX-License-Identifier: GPL-2.0-or-later
// What the monitor does with the mouse and the stored profiles on its queue's thread: each
// call opens its own settings database and device link, so nothing is shared with the event
// loop's thread.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/profile_switch.h"
#include "device/hid_backend.h"
#include "platform/pointer_settings.h"
#include "platform/registry.h"

namespace qor {

struct ProfileExport {
  enum class Status { Exported, WindowOpen, NoMouse, Failed };
  Status status = Status::Failed;
  std::string text;     // the profile as text, when Exported
  std::string problem;  // why not, when Failed
};

class MouseActions {
 public:
  struct Services {
    // The user's settings database; read-only when `readOnly`.
    std::function<std::unique_ptr<Registry>(bool readOnly)> openRegistry;
    std::filesystem::path documents;
    std::filesystem::path program;
    HidBackend& backend;  // used from the queue's thread alone
    std::function<std::vector<std::string>()> includeList;
    std::function<std::shared_ptr<PointerSettings>()> pointer;
  };

  explicit MouseActions(Services services);

  // SwitchProfileAndApply with the program's settings and mouse.
  ProfileSwitchResult Upload(const ProfileUpload& upload, std::string& problem);
  // Profile `index` (0..4) as stored, as JSON text. Refused while the window holds the settings
  // (its edits are not stored yet) and without a mouse, as every request of the bus interface.
  ProfileExport ExportJson(int index);
  // The model text the mouse answers; "" when it does not answer.
  std::string Model();

 private:
  Services F;
};

}  // namespace qor
