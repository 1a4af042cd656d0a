// SPDX-License-Identifier: GPL-2.0-or-later
// The device command set against the virtual mouse's firmware, in process.
#include "protocol/device_commands.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "device/fake_hid_backend.h"
#include "device/hid_data.h"
#include "sim/in_process_backend.h"

namespace qor {
namespace {

using test::Bytes;

// The firmware's memory starts filled with 0x55, so untouched bytes show.
class DeviceCommands : public testing::Test {
 protected:
  static sim::DeviceMemory memoryFilled(uint8_t fill) {
    sim::DeviceMemory m;
    m.fill(fill);
    return m;
  }
  Bytes at(std::size_t address, std::size_t length) {
    const auto& m = backend.firmware(0).memory();
    return Bytes(m.begin() + address, m.begin() + address + length);
  }

  sim::InProcessHidBackend backend{{}, 1, memoryFilled(0x55)};
  TuiHIDData hid{backend, {}};
};

// Counts the reports and keeps their bytes, for what must not be sent at all.
class RecordedCommands : public testing::Test {
 protected:
  RecordedCommands() {
    test::FakeInterface mouse;
    mouse.info.path = "/dev/hidraw0";
    mouse.info.usagePage = 0xFFA0;
    mouse.info.usage = 0x0001;
    mouse.info.featureReportByteLength = 4096;
    backend.interfaces.push_back(mouse);
  }
  test::FakeHidBackend backend;
  TuiHIDData hid{backend, {}};
};

TEST_F(DeviceCommands, BlocksLandAtTheirAddresses) {
  ButtonTable buttons;
  for (std::size_t i = 0; i < buttons.size(); ++i) buttons[i] = uint8_t(i);
  WriteButtonTable(hid, buttons, kButtonTableAddress);
  WriteLEDBlock(hid, {255, 255, 0, 3, 1, 2}, kLEDBlockAddress);
  CPIBlock cpi{};
  cpi[0] = 2;
  cpi[1] = 1;
  WriteCPIBlock(hid, cpi, kCPIBlockAddress);
  WriteDeviceByte(hid, 0x88, kReportRateAddress);

  EXPECT_EQ(at(143, 1), Bytes{0x55});
  EXPECT_EQ(at(144, 81), Bytes(buttons.begin(), buttons.end()));
  EXPECT_EQ(at(225, 1), Bytes{0x55});
  EXPECT_EQ(at(2176, 8), (Bytes{0x55, 255, 255, 0, 3, 1, 2, 0x55}));
  EXPECT_EQ(at(72, 32), Bytes(cpi.begin(), cpi.end()));
  EXPECT_EQ(at(68, 3), (Bytes{0x55, 0x88, 0x55}));

  CPIBlock back{};
  EXPECT_EQ(ReadCPIBlock(hid, back, kCPIBlockAddress), std::error_code());
  EXPECT_EQ(back, cpi);
}

TEST_F(DeviceCommands, MacroSlotsGoWithTheirLengthsAndTheLastInFull) {
  MacroImage image{};
  for (int slot = 0; slot < 5; ++slot)
    std::fill_n(image.begin() + slot * 384, 384, uint8_t(0xA0 + slot));
  std::fill_n(image.begin() + 4 * 384, 384, 0);  // the last slot empty
  auto length = [&](int slot, uint32_t v) {
    for (int i = 0; i < 4; ++i) image[1920 + 4 * slot + i] = uint8_t(v >> (8 * i));
  };
  length(0, 6);
  length(1, 0);       // skipped
  length(2, 0x1000);  // past the slot: cut to it
  length(3, 384);
  length(4, 3);  // ignored: always 384
  WriteMacroSlots(hid, image);

  EXPECT_EQ(at(209, 7), (Bytes{0xA0, 0xA0, 0xA0, 0xA0, 0xA0, 0xA0, 0x55}));
  EXPECT_EQ(at(593, 384), Bytes(384, 0x55));
  EXPECT_EQ(at(977, 384), Bytes(384, 0xA2));
  EXPECT_EQ(at(1361, 384), Bytes(384, 0xA3));
  EXPECT_EQ(at(1745, 384), Bytes(384, 0));
  EXPECT_EQ(at(2129, 1), Bytes{0x55});
}

TEST_F(DeviceCommands, CurrentCPILevelComesFromTheSelectedBank) {
  WriteDeviceByte(hid, 0, kBankSelectorAddress);
  WriteDeviceByte(hid, 2, 73);    // first bank, current level
  WriteDeviceByte(hid, 7, 2377);  // second bank, current level
  int32_t index = -1;
  EXPECT_EQ(ReadCurrentCPIIndex(hid, index), std::error_code());
  EXPECT_EQ(index, 2);
  WriteDeviceByte(hid, 3, kBankSelectorAddress);
  EXPECT_EQ(ReadCurrentCPIIndex(hid, index), std::error_code());
  EXPECT_EQ(index, 7);
}

TEST_F(DeviceCommands, ModelNumberAndCommandsWithoutData) {
  const uint8_t model[16] = {'M', 'O', 'D', 'A', 'L', '0', '0', '3', ' ', ' '};
  WriteDeviceBlock(hid, model, 16, kModelNumberAddress);
  std::array<uint8_t, 16> read{};
  EXPECT_EQ(ReadModelNumber(hid, read), std::error_code());
  EXPECT_EQ(Bytes(read.begin(), read.end()), Bytes(model, model + 16));

  SendLEDPreview(hid, {0, 255, 255, 3, 1, 9});
  SendCommand6(hid, 1, 0);
  SendCommand1(hid, 1, 0);
  const sim::Firmware& f = backend.firmware(0);
  ASSERT_TRUE(f.ledPreview());
  EXPECT_EQ(*f.ledPreview(), (std::array<uint8_t, 5>{0, 255, 255, 3, 1}));
  EXPECT_EQ(f.command6().params, (std::array<uint8_t, 6>{1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(f.command1().params, (std::array<uint8_t, 6>{1, 0, 0, 0, 0, 0}));
}

TEST_F(RecordedCommands, EmptyWritesSendNothingAndTheLastMacroSlotAlwaysGoes) {
  WriteDeviceBlock(hid, nullptr, 0, kButtonTableAddress);
  EXPECT_TRUE(backend.featuresSent.empty());

  MacroImage empty{};
  WriteMacroSlots(hid, empty);
  ASSERT_EQ(backend.featuresSent.size(), 1u);
  Bytes expected(1024, 0);  // 384 bytes at 1745 (0x06D1): 8 + 384 bytes, 632 zero bytes
  const Bytes head = {4, 2, 0xD1, 0x06, 0x80, 0x01, 0xFA, 0xFA};
  std::copy(head.begin(), head.end(), expected.begin());
  EXPECT_EQ(backend.featuresSent[0].bytes, expected);
}

TEST_F(RecordedCommands, PreviewAndCommandBytes) {
  SendLEDPreview(hid, {0x10, 0x20, 0x30, 2, 3, 4});
  SendCommand6(hid, 0, 0);
  SendCommand1(hid, 1, 0);
  ASSERT_EQ(backend.featuresSent.size(), 3u);
  auto report = [](Bytes head) {
    head.resize(16, 0);
    return head;
  };
  EXPECT_EQ(backend.featuresSent[0].bytes, report({2, 4, 0x10, 0x20, 0x30, 2, 3, 0}));
  EXPECT_EQ(backend.featuresSent[1].bytes, report({2, 6, 0, 0}));
  EXPECT_EQ(backend.featuresSent[2].bytes, report({2, 1, 1, 0}));
}

TEST_F(RecordedCommands, FailedReadsLeaveTheCallersValues) {
  backend.interfaces[0].featureError = EIO;
  std::array<uint8_t, 16> model;
  model.fill(0xAB);
  const auto before = model;
  EXPECT_EQ(ReadModelNumber(hid, model), std::errc::io_error);
  EXPECT_EQ(model, before);
  int32_t index = 5;
  EXPECT_EQ(ReadCurrentCPIIndex(hid, index), std::errc::io_error);
  EXPECT_EQ(index, 5);
  uint8_t byte = 9;
  EXPECT_EQ(ReadDeviceByte(hid, byte, kBankSelectorAddress), std::errc::io_error);
  EXPECT_EQ(byte, 9);
}

}  // namespace
}  // namespace qor
