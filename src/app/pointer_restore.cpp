// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/pointer_restore.h"

#include "model/data_module.h"

namespace qor {

RegistryResult RecordAppliedPointerSettings(Registry& registry,
                                            const PointerSettingsBuffer& buffer) {
  RegistryValue value{ValueType::Binary, {buffer.begin(), buffer.end()}};
  return registry.writeValue(RootKey::CurrentUser, kRegistryKeyPath, kAppliedPointerValue, value);
}

AppliedPointerRestore::AppliedPointerRestore(Registry& registry,
                                             std::shared_ptr<PointerSettings> pointer)
    : FRegistry(registry), FPointer(std::move(pointer)) {}

bool AppliedPointerRestore::Restore() {
  FProblem.clear();
  RegistryValue value;
  const RegistryResult r =
      FRegistry.readValue(RootKey::CurrentUser, kRegistryKeyPath, kAppliedPointerValue, value);
  if (r.status == RegistryResult::Status::NotFound) return false;
  if (!r.isOk()) {
    FProblem = r.message;
    return false;
  }
  const auto v =
      value.type == ValueType::Binary
          ? ReadPointerSettingsBuffer(value.data.data(), static_cast<uint32_t>(value.data.size()))
          : std::nullopt;
  if (!v) {
    FProblem = std::string("the registry value ") + kAppliedPointerValue +
               " holds no pointer settings; they are handed on again at the next Apply";
    return false;
  }
  // In Apply's order.
  PointerSettings& p = *FPointer;
  const PointerAccelerationPreset& preset = kPointerAccelerationPresets[v->acceleration];
  if (!p.holdsAcceleration(v->acceleration, preset)) p.setAcceleration(v->acceleration, preset);
  if (!p.holdsSpeed(v->speed)) p.setSpeed(v->speed);
  if (!p.holdsWheelScrollLines(v->wheelLines)) p.setWheelScrollLines(v->wheelLines);
  return true;
}

bool AppliedPointerRestore::MousePresence(bool present) {
  const bool came = present && !FPresent;
  FPresent = present;
  return came && Restore();
}

}  // namespace qor
