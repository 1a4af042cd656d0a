// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/hid_event_ex.h"

#include "model/ascii_text.h"

#include <algorithm>

namespace qor {

bool ContainsIdentity(const std::vector<std::string>& list, const std::string& id) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& s) { return equalsNoCase(s, id); });
}

TuiHIDEventEx::TuiHIDEventEx(HidBackend& backend) : FBackend(backend) {
  scan(ScanMode::Initial);
}

void TuiHIDEventEx::DeviceNodesChanged() {
  if (OnDeviceChange) OnDeviceChange();
}

void TuiHIDEventEx::DeviceArrived() {
  if (OnDeviceArrival) OnDeviceArrival();
  scan(ScanMode::Arrival);
}

void TuiHIDEventEx::DeviceRemoved() {
  if (OnDeviceRemove) OnDeviceRemove();
  scan(ScanMode::Removal);
}

void TuiHIDEventEx::StartTimerFired() {
  if (OnDeviceArrival) OnDeviceArrival();
}

std::vector<std::string> TuiHIDEventEx::identityList() {
  std::vector<std::string> ids;
  for (const HidInterfaceInfo& info : FBackend.enumerate()) {
    if (info.hardwareIds.empty() || ContainsIdentity(ids, info.hardwareIds[0])) continue;
    ids.push_back(info.hardwareIds[0]);
    if (info.hardwareIds.size() > 1) ids.push_back(info.hardwareIds[1]);
  }
  return ids;
}

void TuiHIDEventEx::scan(ScanMode mode) {
  std::vector<std::string> fresh = identityList();
  if (mode == ScanMode::Removal) {
    std::vector<std::string> removed;
    std::vector<std::string> kept;
    for (const std::string& id : FPresentDevices)
      (ContainsIdentity(fresh, id) ? kept : removed).push_back(id);
    FPresentDevices = std::move(kept);
    if (!removed.empty() && OnPresentDeviceRemoval) OnPresentDeviceRemoval(removed);
    return;
  }
  std::vector<std::string> added;
  for (const std::string& id : fresh) {
    if (ContainsIdentity(FPresentDevices, id)) continue;
    FPresentDevices.push_back(id);
    added.push_back(id);
  }
  if (mode == ScanMode::Arrival && !added.empty() && OnNewDeviceArrival) OnNewDeviceArrival(added);
}

}  // namespace qor
