// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/pointer_restore.h"

#include <optional>
#include <vector>

#include "model/data_module.h"

namespace qor {
namespace {

// The stored value: speed, wheel lines, acceleration, each a 32-bit little-endian number.
constexpr std::size_t kStoredSize = 12;

std::vector<uint8_t> encodeApplied(const PointerValues& v) {
  std::vector<uint8_t> bytes;
  for (const int n : {v.speed, v.wheelLines, v.acceleration})
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(uint32_t(n) >> shift));
  return bytes;
}

int storedNumber(const std::vector<uint8_t>& bytes, std::size_t at) {
  return static_cast<int>(uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 |
                          uint32_t(bytes[at + 2]) << 16 | uint32_t(bytes[at + 3]) << 24);
}

// The values of a stored value; nothing for a short one or an acceleration outside 0..3.
std::optional<PointerValues> decodeApplied(const RegistryValue& value) {
  if (value.type != ValueType::Binary || value.data.size() < kStoredSize) return std::nullopt;
  const PointerValues v{storedNumber(value.data, 0), storedNumber(value.data, 4),
                        storedNumber(value.data, 8)};
  if (!HasAccelerationPreset(v)) return std::nullopt;
  return v;
}

}  // namespace

RegistryResult RecordAppliedPointerSettings(Registry& registry, const PointerValues& values) {
  const RegistryValue value{ValueType::Binary, encodeApplied(values)};
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
  const std::optional<PointerValues> v = decodeApplied(value);
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
