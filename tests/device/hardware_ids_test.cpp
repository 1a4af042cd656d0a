// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/hardware_ids.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

struct Case {
  const char* name;
  HardwareIdParts parts;
  std::vector<std::string> ids;
};

class HardwareIdsOf : public testing::TestWithParam<Case> {};

TEST_P(HardwareIdsOf, Device) {
  EXPECT_EQ(HardwareIds(GetParam().parts), GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(
    HardwareIds, HardwareIdsOf,
    testing::Values(
        Case{"SingleInterfaceUsb",
             {0x1209, 0x0001, 0x0100, std::nullopt, std::nullopt, 0xFFA0, 0x0001},
             {"HID\\VID_1209&PID_0001&REV_0100", "HID\\VID_1209&PID_0001",
              "HID_DEVICE_UP:FFA0_U:0001", "HID_DEVICE"}},
        Case{"MultiInterfaceWithSeveralCollections",
             {0x046d, 0xc52b, 0x1211, 2, 3, 0xff00, 0x0002},
             {"HID\\VID_046D&PID_C52B&REV_1211&MI_02&COL03", "HID\\VID_046D&PID_C52B&MI_02&COL03",
              "HID_DEVICE_UP:FF00_U:0002", "HID_DEVICE"}},
        Case{"HexDigitsAboveNine",
             {0xabcd, 0x00ef, 0x0a0b, 0x1c, 0x0d, 0x000c, 0x00e9},
             {"HID\\VID_ABCD&PID_00EF&REV_0A0B&MI_1C&COL0D", "HID\\VID_ABCD&PID_00EF&MI_1C&COL0D",
              "HID_DEVICE_UP:000C_U:00E9", "HID_DEVICE"}},
        Case{"BluetoothHasNoRevisionNorInterface",
             {0x054c, 0x09cc, std::nullopt, std::nullopt, 1, 0x0001, 0x0005},
             {"HID\\VID_054C&PID_09CC&COL01", "HID_DEVICE_UP:0001_U:0005", "HID_DEVICE"}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qor
