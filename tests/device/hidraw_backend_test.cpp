// SPDX-License-Identifier: GPL-2.0-or-later
// Runs under umockdev-run (see CMakeLists.txt): libudev then sees the hand-written device
// trees of fixtures/ instead of this machine's devices.
#include "platform/linux/hidraw_backend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "device/sample_descriptors.h"

namespace qor {
namespace {

bool underUmockdev() {
  return std::getenv("UMOCKDEV_DIR") != nullptr;
}

const HidInterfaceInfo* find(const std::vector<HidInterfaceInfo>& all, const std::string& path,
                             uint32_t collection) {
  for (const HidInterfaceInfo& i : all)
    if (i.path == path && i.collection == collection) return &i;
  return nullptr;
}

struct Expected {
  std::string path;
  uint32_t collection;
  std::vector<std::string> hardwareIds;
  uint16_t usagePage, usage;
  uint32_t input, output, feature;
};

TEST(HidrawBackend, OneInterfacePerCollectionWithTheWindowsHardwareIds) {
  if (!underUmockdev()) GTEST_SKIP() << "needs umockdev-run with fixtures/hid_devices.umockdev";
  HidrawBackend backend;
  const std::vector<HidInterfaceInfo> all = backend.enumerate();
  const Expected expected[] = {
      {"/dev/hidraw0",
       0,
       {"HID\\VID_1209&PID_0001&REV_0100&MI_00", "HID\\VID_1209&PID_0001&MI_00",
        "HID_DEVICE_UP:0001_U:0002", "HID_DEVICE"},
       0x0001,
       0x0002,
       4,
       0,
       0},
      {"/dev/hidraw1",
       0,
       {"HID\\VID_1209&PID_0001&REV_0100&MI_01&COL01", "HID\\VID_1209&PID_0001&MI_01&COL01",
        "HID_DEVICE_UP:FFA0_U:0001", "HID_DEVICE"},
       0xFFA0,
       0x0001,
       0,
       0,
       4096},
      {"/dev/hidraw1",
       1,
       {"HID\\VID_1209&PID_0001&REV_0100&MI_01&COL02", "HID\\VID_1209&PID_0001&MI_01&COL02",
        "HID_DEVICE_UP:000C_U:0001", "HID_DEVICE"},
       0x000C,
       0x0001,
       3,
       0,
       0},
      // A single-interface USB device: no &MI_; its revision comes from the uevent's PRODUCT.
      {"/dev/hidraw2",
       0,
       {"HID\\VID_04D9&PID_A0CD&REV_0A0B&COL01", "HID\\VID_04D9&PID_A0CD&COL01",
        "HID_DEVICE_UP:0001_U:0006", "HID_DEVICE"},
       0x0001,
       0x0006,
       9,
       2,
       0},
      // Bluetooth: no USB parents, so neither revision nor interface.
      {"/dev/hidraw3",
       0,
       {"HID\\VID_054C&PID_09CC", "HID_DEVICE_UP:0001_U:0002", "HID_DEVICE"},
       0x0001,
       0x0002,
       4,
       0,
       0},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.path + " collection " + std::to_string(e.collection));
    const HidInterfaceInfo* i = find(all, e.path, e.collection);
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(i->hardwareIds, e.hardwareIds);
    EXPECT_EQ(i->usagePage, e.usagePage);
    EXPECT_EQ(i->usage, e.usage);
    EXPECT_EQ(i->inputReportByteLength, e.input);
    EXPECT_EQ(i->outputReportByteLength, e.output);
    EXPECT_EQ(i->featureReportByteLength, e.feature);
  }
  EXPECT_EQ(find(all, "/dev/hidraw0", 0)->name, "Tessaly Gaming Mouse");
  EXPECT_EQ(find(all, "/dev/hidraw1", 0)->reportDescriptor.size(), 83u);
  // Parsed once per node: its collections share the parse, and the next listing keeps it.
  const auto& parsed = find(all, "/dev/hidraw1", 0)->parsedDescriptor;
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->collections.size(), 2u);
  EXPECT_EQ(find(all, "/dev/hidraw1", 1)->parsedDescriptor, parsed);
  EXPECT_EQ(find(backend.enumerate(), "/dev/hidraw1", 1)->parsedDescriptor, parsed);
  // hidraw4 has no descriptor in sysfs, and the node does not answer HIDIOCGRDESCSIZE.
  EXPECT_EQ(find(all, "/dev/hidraw4", 0), nullptr);
  EXPECT_EQ(all.size(), std::size(expected) + 1);  // the keyboard's consumer collection
  EXPECT_NE(backend.lastError().find("ioctl HIDIOCGRDESCSIZE /dev/hidraw4: "), std::string::npos)
      << backend.lastError();

  // Enumeration is in udev's order, and the same every time.
  std::vector<std::string> paths;
  for (const HidInterfaceInfo& i : all)
    paths.push_back(i.path + ":" + std::to_string(i.collection));
  EXPECT_EQ(paths,
            (std::vector<std::string>{"/dev/hidraw0:0", "/dev/hidraw1:0", "/dev/hidraw1:1",
                                      "/dev/hidraw2:0", "/dev/hidraw2:1", "/dev/hidraw3:0"}));
  EXPECT_EQ(backend.enumerate().size(), all.size());
}

// A node is described once per identity: the same sysfs entry is taken for the same device.
TEST(HidrawBackend, NodesAreDescribedOncePerSysfsEntry) {
  if (!underUmockdev()) GTEST_SKIP() << "needs umockdev-run with fixtures/hid_devices.umockdev";
  const std::string hid = "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:1209:0001.0001";
  HidrawBackend backend;
  const std::vector<HidInterfaceInfo> first = backend.enumerate();
  const HidInterfaceInfo* mouse = find(first, "/dev/hidraw0", 0);
  ASSERT_NE(mouse, nullptr);
  EXPECT_EQ(mouse->identity.rfind("hidraw0#", 0), 0u) << mouse->identity;
  // Another descriptor under the same entry is not read again; a new backend reads it.
  {
    std::ofstream descriptor(
        std::string(std::getenv("UMOCKDEV_DIR")) + "/sys" + hid + "/report_descriptor",
        std::ios::binary | std::ios::trunc);
    descriptor.write(reinterpret_cast<const char*>(test::kMouseConfig.data()),
                     std::streamsize(test::kMouseConfig.size()));
  }
  EXPECT_EQ(find(backend.enumerate(), "/dev/hidraw0", 0)->usagePage, 0x0001);
  HidrawBackend fresh;
  EXPECT_EQ(find(fresh.enumerate(), "/dev/hidraw0", 0)->usagePage, 0xFFA0);
}

// A node that cannot be described yet (udev not done, its descriptor unreadable) is tried
// again by the next listing, although no entry appeared or went.
TEST(HidrawBackend, ANodeNotDescribedYetIsTriedAgain) {
  if (!underUmockdev()) GTEST_SKIP() << "needs umockdev-run with fixtures/hid_devices.umockdev";
  const std::string descriptor =
      std::string(std::getenv("UMOCKDEV_DIR")) +
      "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/0003:04D9:A0CD.0003/report_descriptor";
  std::filesystem::rename(descriptor, descriptor + ".away");
  HidrawBackend backend;
  EXPECT_EQ(find(backend.enumerate(), "/dev/hidraw2", 0), nullptr);
  EXPECT_EQ(find(backend.enumerate(), "/dev/hidraw2", 0), nullptr);
  std::filesystem::rename(descriptor + ".away", descriptor);
  EXPECT_NE(find(backend.enumerate(), "/dev/hidraw2", 0), nullptr);
  EXPECT_NE(find(backend.enumerate(), "/dev/hidraw2", 0), nullptr);
}

TEST(HidrawBackend, OpenFailureNamesTheCallAndTheCause) {
  if (!underUmockdev()) GTEST_SKIP() << "needs umockdev-run with fixtures/hid_devices.umockdev";
  HidrawBackend backend;
  HidInterfaceInfo missing;
  missing.path = "/dev/hidraw9";
  int error = 0;
  EXPECT_EQ(backend.open(missing, error), nullptr);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(backend.lastError(), "open /dev/hidraw9: No such file or directory");
}

// A uhid device (fixtures/uhid_mouse.umockdev, recorded from qorcfg51-sim --uhid on a real
// kernel): its HID device lives below the uhid misc device, with no USB device above it, so
// the IDs come from its HID_ID alone.
TEST(HidrawBackendUhid, HardwareIdsFromTheHidDeviceWithoutUsbParents) {
  if (!underUmockdev()) GTEST_SKIP() << "needs umockdev-run with fixtures/uhid_mouse.umockdev";
  HidrawBackend backend;
  const std::vector<HidInterfaceInfo> all = backend.enumerate();
  ASSERT_EQ(all.size(), 1u) << backend.lastError();
  const HidInterfaceInfo& i = all[0];
  EXPECT_EQ(i.path, "/dev/hidraw0");
  EXPECT_EQ(i.name, "qorcfg51-sim virtual mouse");
  EXPECT_EQ(i.hardwareIds, (std::vector<std::string>{"HID\\VID_1209&PID_0001",
                                                     "HID_DEVICE_UP:FFA0_U:0001", "HID_DEVICE"}));
  EXPECT_EQ(i.usagePage, 0xFFA0);
  EXPECT_EQ(i.usage, 0x0001);
  EXPECT_EQ(i.inputReportByteLength, 0u);
  EXPECT_EQ(i.outputReportByteLength, 0u);
  EXPECT_EQ(i.featureReportByteLength, 4096u);
}

TEST(HidrawBackendEmpty, NoNodesNoInterfaces) {
  if (!underUmockdev()) GTEST_SKIP() << "needs umockdev-run without devices";
  HidrawBackend backend;
  EXPECT_TRUE(backend.enumerate().empty());
  EXPECT_EQ(backend.lastError(), "");
}

}  // namespace
}  // namespace qor
