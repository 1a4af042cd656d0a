// SPDX-License-Identifier: GPL-2.0-or-later
// TuiHIDEventEx: follows which HID device identities are present and reports the changes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "device/hid_backend.h"

namespace qor {

using TuiNewHIDDevicesArrival =
    std::function<void(const std::vector<std::string>& ANewDevicesList)>;
using TuiPresentHIDDevicesRemoval =
    std::function<void(const std::vector<std::string>& ARemovalDevicesList)>;

// The event loop drives it: the owner calls the notification methods on its main thread when
// the device watcher reports a change, and StartTimerFired once, kStartTimerMs after creation.
class TuiHIDEventEx {
 public:
  static constexpr int kStartTimerMs = 1500;

  // Takes the identities present now, without events.
  explicit TuiHIDEventEx(HidBackend& backend);

  // Device nodes changed in some way: OnDeviceChange.
  void DeviceNodesChanged();
  // An interface arrived: OnDeviceArrival, then the new identities (if any) to
  // OnNewDeviceArrival.
  void DeviceArrived();
  // An interface went away: OnDeviceRemove, then the vanished identities (if any) to
  // OnPresentDeviceRemoval.
  void DeviceRemoved();
  // The start timer fired: OnDeviceArrival once.
  void StartTimerFired();

  const std::vector<std::string>& PresentDevices() const { return FPresentDevices; }

  std::function<void()> OnDeviceArrival, OnDeviceRemove, OnDeviceChange;
  TuiNewHIDDevicesArrival OnNewDeviceArrival;
  TuiPresentHIDDevicesRemoval OnPresentDeviceRemoval;

 private:
  enum class ScanMode { Initial, Arrival, Removal };
  // The first and second hardware ID of each interface, skipping interfaces whose first
  // hardware ID was already listed.
  std::vector<std::string> identityList();
  void scan(ScanMode mode);

  HidBackend& FBackend;
  std::vector<std::string> FPresentDevices;
};

// Case-insensitive whole-string membership, as hardware IDs are compared.
bool ContainsIdentity(const std::vector<std::string>& list, const std::string& id);

}  // namespace qor
