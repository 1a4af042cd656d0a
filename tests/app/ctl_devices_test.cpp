// qorcfg51-ctl devices over hand-written udev device trees: umockdev-run shows the tool the
// fixture's hidraw nodes (or none) instead of this machine's.
#include <gtest/gtest.h>

#include "app/ctl_installation.h"

namespace qor {
namespace {

using test::CtlRun;
using test::Installation;
namespace fs = std::filesystem;

// Runs under umockdev with `fixture` (none: no devices), no simulator and, when given, the
// program folder `program`.
std::string launcher(const Installation& home, const std::string& fixture,
                     const std::string& program = "") {
  const auto noSimulators = home / "no-simulators";
  fs::create_directories(noSimulators);
  std::string l =
      "QORCFG51_SIM_DIR='" + noSimulators.string() + "' ASAN_OPTIONS=verify_asan_link_order=0 ";
  if (!program.empty()) l += "QORCFG51_PROGRAM_DIR='" + program + "' ";
  l += QOR_UMOCKDEV_RUN;
  if (!fixture.empty()) l += " -d '" QOR_HID_FIXTURES "/" + fixture + "'";
  return l + " --";
}

void expectIn(const std::string& text, const std::string& part) {
  EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part << "\nin:\n" << text;
}

TEST(CtlDevices, WithoutInterfacesSaysSoAndHowToGetAccess) {
  Installation home;
  const CtlRun r = home.ctl("devices", launcher(home, ""));
  EXPECT_EQ(r.status, 0) << r.err;
  expectIn(r.out, "No HID interface found");
  expectIn(r.out, "install the udev rule 70-qorcfg51.rules");
  expectIn(r.out, "sudo udevadm control --reload");
}

TEST(CtlDevices, NamesTheMouseByItsCollectionAndTheIncludeList) {
  Installation home;
  const auto program = home / "program";
  fs::create_directories(program);
  test::writeText(program / "config.ini",
                  "[IncludeHIDDeviceList]\nid1=hid\\vid_1209&pid_0001&mi_01&col01\n");
  const CtlRun r = home.ctl("devices", launcher(home, "hid_devices.umockdev", program.string()));
  EXPECT_EQ(r.status, 0) << r.err;
  expectIn(r.out,
           "/dev/hidraw1, collection 1 of 2  \"Tessaly Gaming Mouse\"\n"
           "  hardware ID:    HID\\VID_1209&PID_0001&REV_0100&MI_01&COL01\n"
           "  hardware ID:    HID\\VID_1209&PID_0001&MI_01&COL01\n"
           "  hardware ID:    HID_DEVICE_UP:FFA0_U:0001\n"
           "  hardware ID:    HID_DEVICE\n"
           "  usage page:     0xFFA0, usage 0x0001\n"
           "  report lengths: input 0, output 0, feature 4096 bytes\n"
           "  access:         read and write\n"
           "  the mouse:      yes, its configuration interface\n");
  expectIn(r.out,
           "/dev/hidraw3  \"Wireless Controller\"\n  hardware ID:    HID\\VID_054C&PID_09CC\n");
  expectIn(r.out, "The mouse's configuration interface: 1 found.");
  EXPECT_EQ(r.out.find("udevadm"), std::string::npos);

  // The shipped include list names the device without its interface: not the mouse then.
  const CtlRun shipped = home.ctl("devices", launcher(home, "hid_devices.umockdev"));
  expectIn(shipped.out,
           "its configuration collection, but none of its hardware IDs is in the "
           "include list");
  expectIn(shipped.out, "add one of its hardware IDs");
}

}  // namespace
}  // namespace qor
