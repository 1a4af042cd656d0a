// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "device/fake_hid_backend.h"
#include "device/mouse_access.h"

namespace qor {
namespace {

test::FakeInterface iface(const char* path, const char* id, uint16_t page, uint16_t usage,
                          int openError, const char* name = "") {
  test::FakeInterface f;
  f.info.path = path;
  f.info.name = name;
  f.info.hardwareIds = {id, "HID_DEVICE"};
  f.info.usagePage = page;
  f.info.usage = usage;
  f.openError = openError;
  return f;
}

TEST(MouseAccess, TellsWhichNodeAndTheExactFix) {
  test::FakeHidBackend backend;
  backend.interfaces = {
      // The mouse, listed, but this user may not open it.
      iface("/dev/hidraw2", "HID\\VID_1A2B&PID_3C4D&MI_01", 0xFFA0, 1, EACCES, "Gamer Mouse"),
      // Its twin collection on the same node: told once.
      iface("/dev/hidraw2", "HID\\VID_1A2B&PID_3C4D&MI_01", 0xFFA0, 1, EACCES, "Gamer Mouse"),
      // Another mouse that opens but config.ini leaves out.
      iface("/dev/hidraw5", "hid\\vid_00aa&pid_00bb", 0xFFA0, 1, 0),
      // A keyboard the user may not open: not the mouse's business.
      iface("/dev/hidraw7", "HID\\VID_0001&PID_0002", 0x0001, 6, EACCES),
  };
  const auto survey = SurveyInterfaces(backend, {"HID\\VID_1A2B&PID_3C4D&MI_01"});
  ASSERT_EQ(survey.size(), 4u);
  EXPECT_TRUE(survey[0].AccessDenied());
  EXPECT_TRUE(survey[0].IsMouse());
  EXPECT_EQ(survey[0].vendor, 0x1A2B);
  EXPECT_EQ(survey[0].product, 0x3C4D);
  EXPECT_FALSE(survey[2].listed);
  EXPECT_EQ(survey[2].vendor, 0x00AA);
  EXPECT_FALSE(survey[3].configuration);
  EXPECT_EQ(backend.opens, 3);  // the keyboard is left alone: only settings collections open
  EXPECT_EQ(SurveyInterfaces(backend, {}, SurveyOpens::Every)[3].error, EACCES);

  EXPECT_EQ(MouseAccessAdvice(survey, "/opt/q/config.ini"),
            "The mouse \"Gamer Mouse\" (vendor 1a2b, product 3c4d) is connected, but this user "
            "may not open its settings interface /dev/hidraw2.\n"
            "Give access with this line in /etc/udev/rules.d/70-qorcfg51-local.rules:\n"
            "    KERNEL==\"hidraw*\", SUBSYSTEMS==\"hid\", KERNELS==\"*:1A2B:3C4D.*\", "
            "TAG+=\"uaccess\"\n\n"
            "The mouse (vendor 00aa, product 00bb) offers its settings interface /dev/hidraw5, "
            "but config.ini does not list it.\n"
            "Add this entry as the value of the next idN key of [IncludeHIDDeviceList] in "
            "/opt/q/config.ini:\n"
            "    HID\\VID_00AA&PID_00BB\n"
            "Then run \"sudo udevadm control --reload\" and plug the mouse in again.");
}

TEST(MouseAccess, NothingToSayWhenTheMouseOpens) {
  test::FakeHidBackend backend;
  backend.interfaces = {iface("sim:1", "HID\\VID_1209&PID_0001", 0xFFA0, 1, 0),
                        iface("/dev/hidraw1", "HID\\VID_0001&PID_0002", 0x0001, 2, EACCES)};
  EXPECT_EQ(MouseAccessAdvice(SurveyInterfaces(backend, {"HID\\VID_1209&PID_0001"}), "c"), "");
  EXPECT_EQ(MouseAccessAdvice({}, "c"), "");
}

}  // namespace
}  // namespace qor
