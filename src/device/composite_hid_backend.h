// SPDX-License-Identifier: GPL-2.0-or-later
// Several HID backends seen as one.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "device/hid_backend.h"

namespace qor {

// Lists the interfaces of each backend in turn, in the order the backends were given, and
// opens an interface through the backend that listed it.
class CompositeHidBackend : public HidBackend {
 public:
  explicit CompositeHidBackend(std::vector<std::unique_ptr<HidBackend>> backends);

  std::vector<HidInterfaceInfo> enumerate() override;
  // ENODEV for an interface that no backend listed in the last enumeration.
  std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, int& error) override;

 private:
  std::vector<std::unique_ptr<HidBackend>> backends_;
  std::mutex mutex_;
  // Path and collection of each interface of the last enumeration, with its backend.
  std::vector<std::pair<std::pair<std::string, uint32_t>, HidBackend*>> owners_;
};

}  // namespace qor
