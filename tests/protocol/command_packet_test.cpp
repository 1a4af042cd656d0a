// SPDX-License-Identifier: GPL-2.0-or-later
// Command packets as they reach the HID layer, recorded by a fake backend behind TuiHIDData.
#include "protocol/command_packet.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>

#include "device/fake_hid_backend.h"
#include "device/hid_data.h"

namespace qor {
namespace {

using test::Bytes;
using test::FakeHidBackend;

class CommandPacket : public testing::Test {
 protected:
  void SetUp() override {
    test::FakeInterface mouse;
    mouse.info.path = "/dev/hidraw3";
    mouse.info.hardwareIds = {"HID\\VID_1209&PID_0001"};
    mouse.info.usagePage = 0xFFA0;
    mouse.info.usage = 0x0001;
    mouse.info.featureReportByteLength = 4096;
    backend.interfaces.push_back(mouse);
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = uint8_t(i + 1);
  }

  std::array<uint8_t, kCommandPayloadSize> payload;  // bytes 1, 2, 3, ...
  FakeHidBackend backend;
  TuiHIDData hid{backend, {}};
};

TEST(CommandPacketSizes, ReportIDAndLengthFollowTheTotal) {
  struct Case {
    uint32_t total;
    uint8_t id;
    uint32_t length;
  } cases[] = {{8, 2, 16},      {9, 2, 16},      {16, 2, 16},     {17, 3, 64},
               {64, 3, 64},     {65, 4, 1024},   {1024, 4, 1024}, {1025, 5, 2048},
               {2048, 5, 2048}, {2049, 6, 4096}, {4096, 6, 4096}, {4097, 2, 16}};
  for (const Case& c : cases) {
    EXPECT_EQ(GetReportIDBySize(c.total), c.id) << c.total;
    EXPECT_EQ(GetReportSizeByID(c.id), c.length) << c.total;
  }
  for (uint8_t id : {0, 1, 7, 255}) EXPECT_EQ(GetReportSizeByID(id), 16u) << int(id);
}

// Commands go to the collection the HID data object was given, and to no other.
TEST_F(CommandPacket, CommandsGoToTheCollectionTheDeviceWasGiven) {
  test::FakeInterface other = backend.interfaces[0];
  other.info.path = "/dev/hidraw4";
  other.info.usagePage = 0xFF00;
  other.info.usage = 0x0002;
  backend.interfaces.push_back(other);
  TuiHIDData otherDevice{backend, {}, {0x0002, 0xFF00}};
  ASSERT_EQ(SendDeviceCommand(otherDevice, BlockCommand(2, 0, 1), payload.data()),
            std::error_code());
  ASSERT_EQ(SendDeviceCommand(hid, BlockCommand(2, 0, 1), payload.data()), std::error_code());
  ASSERT_EQ(backend.featuresSent.size(), 2u);
  EXPECT_EQ(backend.featuresSent[0].path, "/dev/hidraw4");
  EXPECT_EQ(backend.featuresSent[1].path, "/dev/hidraw3");
}

TEST_F(CommandPacket, BlockWriteTravelsInTheReportOfItsSize) {
  struct Case {
    uint16_t length;
    uint8_t id;
    std::size_t size;
  } cases[] = {{0, 2, 16},      {8, 2, 16},      {9, 3, 64},      {56, 3, 64},
               {57, 4, 1024},   {384, 4, 1024},  {1016, 4, 1024}, {1017, 5, 2048},
               {2040, 5, 2048}, {2041, 6, 4096}, {2048, 6, 4096}};
  for (const Case& c : cases) {
    backend.featuresSent.clear();
    // 0x08D1 = 2257: low byte first in the header.
    ASSERT_EQ(SendDeviceCommand(hid, BlockCommand(2, 0x08D1, c.length), payload.data()),
              std::error_code())
        << c.length;
    ASSERT_EQ(backend.featuresSent.size(), 1u);
    const Bytes& sent = backend.featuresSent[0].bytes;
    ASSERT_EQ(sent.size(), c.size) << c.length;
    // The ID, then header bytes 0 to 6: header byte 7 (0xFA) is not sent.
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 8),
              (Bytes{c.id, 2, 0xD1, 0x08, uint8_t(c.length), uint8_t(c.length >> 8), 0xFA, 0xFA}))
        << c.length;
    for (std::size_t i = 8; i < sent.size(); ++i) {
      const uint8_t expected = i - 8 < c.length ? uint8_t(i - 7) : 0;
      ASSERT_EQ(sent[i], expected) << "length " << c.length << " byte " << i;
    }
  }
}

TEST_F(CommandPacket, PayloadBeyondThePacketIsRefused) {
  EXPECT_EQ(SendDeviceCommand(hid, BlockCommand(2, 0, 2049), payload.data()),
            std::errc::invalid_argument);
  EXPECT_EQ(QueryDeviceCommand(hid, BlockCommand(3, 0, 2041), payload.data()),
            std::errc::invalid_argument);
  EXPECT_TRUE(backend.featuresSent.empty());
  EXPECT_TRUE(backend.featureRequests.empty());
}

TEST_F(CommandPacket, QueryAsksInASmallReportAndReadsTheAnswerBySize) {
  // The device's answer to a read of 32 bytes at 72: echoed header, the block, trailing bytes.
  Bytes answer = {3, 3, 72, 0, 32, 0, 0xFA, 0xFA};
  for (int i = 0; i < 32; ++i) answer.push_back(uint8_t(0x40 + i));
  answer.resize(64, 0xEE);
  backend.interfaces[0].featureAnswer = answer;

  ASSERT_EQ(QueryDeviceCommand(hid, BlockCommand(3, 72, 32), payload.data()), std::error_code());
  ASSERT_EQ(backend.featuresSent.size(), 1u);
  Bytes request(16, 0);
  const Bytes head = {2, 3, 72, 0, 32, 0, 0xFA, 0xFA};
  std::copy(head.begin(), head.end(), request.begin());
  EXPECT_EQ(backend.featuresSent[0].bytes, request);
  ASSERT_EQ(backend.featureRequests.size(), 1u);
  Bytes asked(64, 0);  // the answer is asked for by its report ID alone
  asked[0] = 3;
  EXPECT_EQ(backend.featureRequests[0], asked);

  // The block read is answer bytes 8 to 39; nothing past it is copied.
  for (int i = 0; i < 32; ++i) EXPECT_EQ(payload[i], 0x40 + i);
  EXPECT_EQ(payload[32], 33);

  // The largest query fits: 2040 bytes come back in a 2048-byte report.
  backend.featureRequests.clear();
  Bytes largest = {5, 3, 0, 0, 0xF8, 0x07, 0xFA, 0xFA};
  largest.resize(2048, 0x11);
  backend.interfaces[0].featureAnswer = largest;
  EXPECT_EQ(QueryDeviceCommand(hid, BlockCommand(3, 0, 2040), payload.data()), std::error_code());
  ASSERT_EQ(backend.featureRequests.size(), 1u);
  EXPECT_EQ(backend.featureRequests[0].size(), 2048u);
  EXPECT_EQ(backend.featureRequests[0][0], 5);
}

// An answer that repeats another read (another program's, between our two reports) is a
// failed exchange, never data: type, address and length must be the request's.
TEST_F(CommandPacket, AnAnswerToAnotherReadIsRefused) {
  struct Case {
    const char* what;
    Bytes head;
  } cases[] = {
      {"another address", {3, 3, 0xF8, 3, 16, 0, 0xFA, 0xFA}},  // 1016, the model number
      {"another length", {3, 3, 72, 0, 32, 0, 0xFA, 0xFA}},
      {"another command", {3, 2, 72, 0, 16, 0, 0xFA, 0xFA}},
      {"nothing echoed", {3, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    Bytes answer = c.head;
    answer.resize(64, 0x77);
    backend.interfaces[0].featureAnswer = answer;
    const auto before = payload;
    EXPECT_EQ(QueryDeviceCommand(hid, BlockCommand(3, 72, 16), payload.data()),
              std::errc::protocol_error)
        << c.what;
    EXPECT_EQ(payload, before) << c.what;
  }
}

TEST_F(CommandPacket, FailedQueryLeavesThePacketAsItWas) {
  backend.interfaces[0].featureError = EPIPE;
  const CommandHeader read = BlockCommand(3, 0, 16);
  const auto before = payload;
  EXPECT_EQ(QueryDeviceCommand(hid, read, payload.data()), std::errc::broken_pipe);
  EXPECT_TRUE(backend.featureRequests.empty());  // no answer asked after a failed request
  EXPECT_EQ(payload, before);

  backend.interfaces.clear();  // no mouse at all
  EXPECT_EQ(QueryDeviceCommand(hid, read, payload.data()), std::errc::no_such_device);
  EXPECT_EQ(SendDeviceCommand(hid, read, payload.data()), std::errc::no_such_device);
  EXPECT_EQ(payload, before);
}

}  // namespace
}  // namespace qor
