// SPDX-License-Identifier: GPL-2.0-or-later
// Command packets as they reach the HID layer, recorded by a fake backend behind TuiHIDData.
#include "protocol/command_packet.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

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
  }

  // A block command (type 2 or 3) of `length` bytes at `address`; payload bytes 1, 2, 3, ...
  std::unique_ptr<TCOMMANDPACKET> block(uint8_t type, uint16_t length, uint16_t address) {
    auto p = std::make_unique<TCOMMANDPACKET>();
    const uint8_t header[8] = {type,
                               uint8_t(address),
                               uint8_t(address >> 8),
                               uint8_t(length),
                               uint8_t(length >> 8),
                               0xFA,
                               0xFA,
                               0xFA};
    std::copy(header, header + 8, p->Header);
    for (std::size_t i = 0; i < sizeof p->Payload; ++i) p->Payload[i] = uint8_t(i + 1);
    return p;
  }

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
  ASSERT_EQ(SendDeviceCommand(otherDevice, *block(2, 1, 0)), 0u);
  ASSERT_EQ(SendDeviceCommand(hid, *block(2, 1, 0)), 0u);
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
    ASSERT_EQ(SendDeviceCommand(hid, *block(2, c.length, 0x08D1)), 0u) << c.length;
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

TEST_F(CommandPacket, PayloadLengthRuleByCommandType) {
  struct Case {
    uint8_t header[8];
    uint8_t id;
    std::size_t payload;
  } cases[] = {
      {{1, 1, 0, 0, 0, 0, 0x66, 0x77}, 2, 0},     // no payload
      {{4, 10, 20, 30, 3, 1, 0x66, 0x77}, 2, 0},  // LED preview: parameters only
      {{6, 1, 0, 0, 0, 0, 0x66, 0x77}, 2, 0},     // no payload
      {{5, 0, 0, 0x40, 0, 0, 0x66, 0x77}, 2, 0},  // unknown types carry nothing
      {{0, 0, 20, 0, 0, 0, 0x66, 0x77}, 3, 20},   // type 0: length in header byte 2
      {{0x82, 0, 0, 9, 0, 0, 0x66, 0x77}, 3, 9},  // bit 7 takes no part in the rule
  };
  for (const Case& c : cases) {
    backend.featuresSent.clear();
    TCOMMANDPACKET p{};
    std::copy(c.header, c.header + 8, p.Header);
    for (std::size_t i = 0; i < 64; ++i) p.Payload[i] = 0xC0;
    ASSERT_EQ(SendDeviceCommand(hid, p), 0u);
    const Bytes& sent = backend.featuresSent.at(0).bytes;
    Bytes expected(GetReportSizeByID(c.id), 0);
    expected[0] = c.id;
    std::copy(c.header, c.header + 7, expected.begin() + 1);
    std::fill_n(expected.begin() + 8, c.payload, 0xC0);
    EXPECT_EQ(sent, expected) << int(c.header[0]);
  }
}

TEST_F(CommandPacket, PayloadBeyondThePacketIsRefused) {
  EXPECT_EQ(SendDeviceCommand(hid, *block(2, 2049, 0)), uint32_t(EINVAL));
  EXPECT_EQ(QueryDeviceCommand(hid, *block(3, 2041, 0)), uint32_t(EINVAL));
  EXPECT_TRUE(backend.featuresSent.empty());
  EXPECT_TRUE(backend.featureRequests.empty());
}

TEST_F(CommandPacket, QueryAsksInASmallReportAndReadsTheAnswerBySize) {
  // The device's answer to a read of 32 bytes at 72: echoed header, the block, trailing bytes.
  Bytes answer = {3, 3, 72, 0, 32, 0, 0xFA, 0xFA};
  for (int i = 0; i < 32; ++i) answer.push_back(uint8_t(0x40 + i));
  answer.resize(64, 0xEE);
  backend.interfaces[0].featureAnswer = answer;

  auto p = block(3, 32, 72);
  ASSERT_EQ(QueryDeviceCommand(hid, *p), 0u);
  ASSERT_EQ(backend.featuresSent.size(), 1u);
  Bytes request(16, 0);
  const Bytes head = {2, 3, 72, 0, 32, 0, 0xFA, 0xFA};
  std::copy(head.begin(), head.end(), request.begin());
  EXPECT_EQ(backend.featuresSent[0].bytes, request);
  ASSERT_EQ(backend.featureRequests.size(), 1u);
  Bytes asked(64, 0);  // the answer is asked for by its report ID alone
  asked[0] = 3;
  EXPECT_EQ(backend.featureRequests[0], asked);

  // The header is decoded from the answer (byte 7 becomes 0); the payload holds answer bytes
  // 8 onwards.
  EXPECT_EQ(Bytes(p->Header, p->Header + 8), (Bytes{3, 72, 0, 32, 0, 0xFA, 0xFA, 0}));
  for (int i = 0; i < 32; ++i) EXPECT_EQ(p->Payload[i], 0x40 + i);
  for (int i = 32; i < 56; ++i) EXPECT_EQ(p->Payload[i], 0xEE);
  EXPECT_EQ(p->Payload[56], 57);  // past the answer report: as it was

  // The largest query fits: 2040 bytes come back in a 2048-byte report.
  backend.featureRequests.clear();
  Bytes largest = {5, 3, 0, 0, 0xF8, 0x07, 0xFA, 0xFA};
  largest.resize(2048, 0x11);
  backend.interfaces[0].featureAnswer = largest;
  EXPECT_EQ(QueryDeviceCommand(hid, *block(3, 2040, 0)), 0u);
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
    auto p = block(3, 16, 72);
    const TCOMMANDPACKET before = *p;
    EXPECT_EQ(QueryDeviceCommand(hid, *p), uint32_t(EPROTO)) << c.what;
    EXPECT_EQ(std::memcmp(p.get(), &before, sizeof before), 0) << c.what;
  }
}

TEST_F(CommandPacket, FailedQueryLeavesThePacketAsItWas) {
  backend.interfaces[0].featureError = EPIPE;
  auto p = block(3, 16, 0);
  const TCOMMANDPACKET before = *p;
  EXPECT_EQ(QueryDeviceCommand(hid, *p), uint32_t(EPIPE));
  EXPECT_TRUE(backend.featureRequests.empty());  // no answer asked after a failed request
  EXPECT_EQ(std::memcmp(p.get(), &before, sizeof before), 0);

  backend.interfaces.clear();  // no mouse at all
  EXPECT_EQ(QueryDeviceCommand(hid, *p), uint32_t(ENODEV));
  EXPECT_EQ(SendDeviceCommand(hid, *p), uint32_t(ENODEV));
  EXPECT_EQ(std::memcmp(p.get(), &before, sizeof before), 0);
}

}  // namespace
}  // namespace qor
