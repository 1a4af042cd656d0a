// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/profile_switch.h"

#include "app/apply_sequence.h"
#include "device/hid_data.h"
#include "platform/instance_lock.h"

namespace qor {

ProfileSwitchResult SwitchProfileAndApply(const DataModuleEnvironment& env,
                                          const ProfileUpload& upload, TuiHIDData& device,
                                          std::shared_ptr<PointerSettings> pointer,
                                          std::string& problem) {
  problem.clear();
  if (!TDM::IsProfileIndexInRange(upload.index)) {
    problem = "there is no profile " + std::to_string(upload.index + 1);
    return ProfileSwitchResult::Failed;
  }
  const auto lock = InstanceLock::TryAcquire(kSettingsLockName, &problem);
  if (!lock) return problem.empty() ? ProfileSwitchResult::WindowOpen : ProfileSwitchResult::Failed;
  if (upload.onlyWithMouse && !MousePresent(device)) return ProfileSwitchResult::NoMouse;
  bool failed = false;
  TDM dm(env, [&](const StoreProblem& p) {
    failed = failed || p.kind == StoreProblem::Kind::Error;
    problem += (problem.empty() ? "" : "; ") + p.message;
  });
  if (failed) return ProfileSwitchResult::Failed;
  dm.SwitchToProfile(upload.index);
  if (!dm.SaveBackAllProfileSettingInfo()) return ProfileSwitchResult::Failed;
  NoMonitorLink none;  // the caller tells the user itself, once
  ApplySequence apply(dm, device, std::move(pointer), none);
  switch (apply.Run({})) {
    case ApplyResult::Applied:
      return failed ? ProfileSwitchResult::Failed : ProfileSwitchResult::Switched;
    case ApplyResult::NoMouse:
      return ProfileSwitchResult::NoMouse;
    case ApplyResult::MouseStopped:
      problem = apply.Failure();
      return ProfileSwitchResult::MouseStopped;
    case ApplyResult::NoProfile:
      for (const std::string& w : apply.Warnings()) problem += (problem.empty() ? "" : "; ") + w;
      return ProfileSwitchResult::Failed;
  }
  return ProfileSwitchResult::Failed;
}

bool MousePresent(TuiHIDData& device) {
  THIDDataParam presence;
  presence.UsageAndPage = device.GetUsageAndPage();
  return device.IsDeviceExist(presence);
}

}  // namespace qor
