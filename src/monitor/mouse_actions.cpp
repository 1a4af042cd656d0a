// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/mouse_actions.h"

#include <array>

#include "app/model_detection.h"
#include "device/hid_data.h"
#include "platform/instance_lock.h"
#include "protocol/device_commands.h"
#include "settings/profile_json.h"

namespace qor {

MouseActions::MouseActions(Services services) : F(std::move(services)) {}

ProfileSwitchResult MouseActions::Upload(const ProfileUpload& upload, std::string& problem) {
  const std::unique_ptr<Registry> registry = F.openRegistry(false);
  const DataModuleEnvironment env{*registry, F.documents, F.program};
  // The include list as it is now: a mouse added to config.ini counts without a restart.
  TuiHIDData device(F.backend, F.includeList());
  return SwitchProfileAndApply(env, upload, device, F.pointer(), problem);
}

ProfileExport MouseActions::ExportJson(int index) {
  ProfileExport out;
  if (!TDM::IsProfileIndexInRange(index)) {
    out.problem = "there is no profile " + std::to_string(index + 1);
    return out;
  }
  {
    // Only asked, not kept: reading needs no lock, and a window starting meanwhile must not
    // find its lock taken.
    const auto lock = InstanceLock::TryAcquire(kSettingsLockName, &out.problem);
    if (!lock) {
      if (out.problem.empty()) out.status = ProfileExport::Status::WindowOpen;
      return out;
    }
  }
  TuiHIDData device(F.backend, F.includeList());
  if (!MousePresent(device)) {
    out.status = ProfileExport::Status::NoMouse;
    return out;
  }
  const std::unique_ptr<Registry> registry = F.openRegistry(true);
  DataModuleEnvironment env{*registry, F.documents, F.program};
  env.readOnly = true;
  bool failed = false;
  // The data module is large; it lives on the heap rather than the queue thread's stack.
  auto dm = std::make_unique<TDM>(env, [&](const StoreProblem& p) {
    failed = failed || p.kind == StoreProblem::Kind::Error;
    out.problem += (out.problem.empty() ? "" : "; ") + p.message;
  });
  if (failed || !dm->OpenProfile(index)) {
    if (out.problem.empty())
      out.problem = "profile " + std::to_string(index + 1) + " is not stored";
    return out;
  }
  out.status = ProfileExport::Status::Exported;
  out.text = ProfileToJson(dm->FCurrentProfileInfo);
  out.problem.clear();
  return out;
}

std::string MouseActions::Model() {
  TuiHIDData device(F.backend, F.includeList());
  std::array<uint8_t, kModelNumberSize> answer{};
  if (ReadModelNumber(device, answer)) return "";
  return ModelTextFromAnswer(answer.data(), answer.size());
}

}  // namespace qor
