// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "device/fake_hid_backend.h"
#include "device/hid_event_ex.h"

namespace qor {
namespace {

using Ids = std::vector<std::string>;

test::FakeInterface itf(const std::string& path, Ids ids) {
  test::FakeInterface i;
  i.info.path = path;
  i.info.hardwareIds = std::move(ids);
  return i;
}

struct Recorder {
  int arrivals = 0, removes = 0, changes = 0;
  std::vector<Ids> added, removed;
  void attach(TuiHIDEventEx& e) {
    e.OnDeviceArrival = [this] { ++arrivals; };
    e.OnDeviceRemove = [this] { ++removes; };
    e.OnDeviceChange = [this] { ++changes; };
    e.OnNewDeviceArrival = [this](const Ids& l) { added.push_back(l); };
    e.OnPresentDeviceRemoval = [this](const Ids& l) { removed.push_back(l); };
  }
};

TEST(HidEventEx, ReportsNewAndVanishedIdentities) {
  test::FakeHidBackend backend;
  backend.interfaces = {itf("kbd", {"HID\\VID_1&PID_2&REV_1", "HID\\VID_1&PID_2", "HID_DEVICE"})};
  TuiHIDEventEx events(backend);
  Recorder r;
  r.attach(events);
  EXPECT_EQ(events.PresentDevices(), (Ids{"HID\\VID_1&PID_2&REV_1", "HID\\VID_1&PID_2"}));

  // A mouse with two interfaces: up to four identities in one report; the second hardware
  // ID of the second interface is the first one's as well, and is not repeated.
  backend.interfaces.push_back(itf("m0", {"HID\\VID_9&PID_9&MI_00", "HID\\VID_9&PID_9&MI_00&X"}));
  backend.interfaces.push_back(itf("m1", {"HID\\VID_9&PID_9&MI_01", "hid\\vid_9&pid_9&mi_00"}));
  backend.interfaces.push_back(itf("m1b", {"HID\\VID_9&PID_9&MI_01", "other"}));  // same first ID
  backend.interfaces.push_back(itf("bare", {}));
  events.DeviceArrived();
  EXPECT_EQ(r.arrivals, 1);
  ASSERT_EQ(r.added.size(), 1u);
  EXPECT_EQ(r.added[0],
            (Ids{"HID\\VID_9&PID_9&MI_00", "HID\\VID_9&PID_9&MI_00&X", "HID\\VID_9&PID_9&MI_01"}));

  events.DeviceArrived();  // nothing new: the arrival event only
  EXPECT_EQ(r.arrivals, 2);
  EXPECT_EQ(r.added.size(), 1u);

  backend.interfaces.erase(backend.interfaces.begin() + 1, backend.interfaces.end());
  events.DeviceRemoved();
  EXPECT_EQ(r.removes, 1);
  ASSERT_EQ(r.removed.size(), 1u);
  EXPECT_EQ(r.removed[0].size(), 3u);  // neighbours in the list are all examined
  EXPECT_EQ(events.PresentDevices().size(), 2u);

  events.DeviceRemoved();  // nothing gone
  EXPECT_EQ(r.removed.size(), 1u);
  events.DeviceNodesChanged();
  events.StartTimerFired();
  EXPECT_EQ(r.changes, 1);
  EXPECT_EQ(r.arrivals, 3);
}

}  // namespace
}  // namespace qor
