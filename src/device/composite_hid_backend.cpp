// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/composite_hid_backend.h"

#include <cerrno>

namespace qor {

CompositeHidBackend::CompositeHidBackend(std::vector<std::unique_ptr<HidBackend>> backends)
    : backends_(std::move(backends)) {}

std::vector<HidInterfaceInfo> CompositeHidBackend::enumerate() {
  std::vector<HidInterfaceInfo> all;
  std::vector<std::pair<std::pair<std::string, uint32_t>, HidBackend*>> owners;
  for (const std::unique_ptr<HidBackend>& backend : backends_) {
    for (HidInterfaceInfo& info : backend->enumerate()) {
      owners.push_back({{info.path, info.collection}, backend.get()});
      all.push_back(std::move(info));
    }
  }
  std::lock_guard lock(mutex_);
  owners_ = std::move(owners);
  return all;
}

std::unique_ptr<HidDevice> CompositeHidBackend::open(const HidInterfaceInfo& info, int& error) {
  HidBackend* owner = nullptr;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [key, backend] : owners_) {
      if (key.first == info.path && key.second == info.collection) {
        owner = backend;
        break;
      }
    }
  }
  if (!owner) {
    error = ENODEV;
    return nullptr;
  }
  return owner->open(info, error);
}

}  // namespace qor
