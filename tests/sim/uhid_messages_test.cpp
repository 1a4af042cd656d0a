// SPDX-License-Identifier: GPL-2.0-or-later
// The uhid messages against the layout of struct uhid_event, worked out by hand: a u32 type,
// then the packed request.
#include <gtest/gtest.h>

#include "sim/uhid_messages.h"
#include "test_support/bytes.h"

namespace qor::sim {
namespace {

using test::Bytes;
using test::u16At;

uint32_t u32At(const Bytes& b, std::size_t off) {
  return uint32_t(test::i32At(b, off));
}

TEST(UhidMessages, CreateCarriesIdentityAndDescriptorAtTheirOffsets) {
  UhidDeviceIdentity id;
  id.name = std::string(200, 'n');  // cut to 127 bytes and a terminator
  id.phys = "p/1";
  id.uniq = "u1";
  id.bus = 3;
  id.vendor = 0x1209;
  id.product = 0x0001;
  id.version = 0x0100;
  const Bytes descriptor = {0x06, 0xA0, 0xFF, 0xC0};
  const Bytes m = EncodeUhidCreate(id, descriptor);
  // type 4, name 128, phys 64, uniq 64, rd_size 2, bus 2, vendor, product, version, country 4
  // each: the descriptor at 280.
  ASSERT_EQ(m.size(), 284u);
  EXPECT_EQ(u32At(m, 0), 11u);  // UHID_CREATE2
  EXPECT_EQ(std::string(m.begin() + 4, m.begin() + 132), std::string(127, 'n') + '\0');
  EXPECT_EQ(std::string(m.begin() + 132, m.begin() + 136), std::string("p/1") + '\0');
  EXPECT_EQ(std::string(m.begin() + 196, m.begin() + 199), std::string("u1") + '\0');
  EXPECT_EQ(u16At(m, 260), 4);
  EXPECT_EQ(u16At(m, 262), 3);
  EXPECT_EQ(u32At(m, 264), 0x1209u);
  EXPECT_EQ(u32At(m, 268), 0x0001u);
  EXPECT_EQ(u32At(m, 272), 0x0100u);
  EXPECT_EQ(u32At(m, 276), 0u);
  EXPECT_EQ(Bytes(m.begin() + 280, m.end()), descriptor);

  // The kernel takes at most 4096 descriptor bytes.
  EXPECT_EQ(EncodeUhidCreate(id, Bytes(4096, 0)).size(), 280u + 4096u);
  EXPECT_TRUE(EncodeUhidCreate(id, Bytes(4097, 0)).empty());
}

TEST(UhidMessages, Replies) {
  EXPECT_EQ(EncodeUhidDestroy(), (Bytes{1, 0, 0, 0}));
  // type 10, id, err (u16), size (u16), data
  const Bytes report = {3, 0xAB, 0xCD};
  EXPECT_EQ(EncodeUhidGetReportReply(0x01020304, 0, report),
            (Bytes{10, 0, 0, 0, 4, 3, 2, 1, 0, 0, 3, 0, 3, 0xAB, 0xCD}));
  // A failure carries no data.
  EXPECT_EQ(EncodeUhidGetReportReply(7, 32, report), (Bytes{10, 0, 0, 0, 7, 0, 0, 0, 32, 0, 0, 0}));
  EXPECT_EQ(EncodeUhidGetReportReply(1, 0, Bytes(5000, 9)).size(), 12u + 4096u);
  // type 14, id, err
  EXPECT_EQ(EncodeUhidSetReportReply(0x0A0B0C0D, 5),
            (Bytes{14, 0, 0, 0, 0x0D, 0x0C, 0x0B, 0x0A, 5, 0}));
}

TEST(UhidMessages, DecodesTheKernelsEvents) {
  // UHID_GET_REPORT: id, rnum, rtype
  auto e = DecodeUhidEvent(Bytes{9, 0, 0, 0, 0x2A, 0x01, 0, 0, 3, 0});
  ASSERT_TRUE(e);
  EXPECT_EQ(e->type, 9u);
  EXPECT_EQ(e->id, 0x012Au);
  EXPECT_EQ(e->reportNumber, 3);
  EXPECT_EQ(e->reportType, 0);
  EXPECT_TRUE(e->data.empty());

  // UHID_SET_REPORT: id, rnum, rtype, size (u16), data
  const Bytes set = {13, 0, 0, 0, 5, 0, 0, 0, 2, 0, 3, 0, 2, 0x11, 0x22, 0xEE};
  e = DecodeUhidEvent(set);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->id, 5u);
  EXPECT_EQ(e->reportNumber, 2);
  EXPECT_EQ(Bytes(e->data.begin(), e->data.end()), (Bytes{2, 0x11, 0x22}));

  // UHID_OUTPUT: the whole 4096-byte data field, then size (u16) and rtype.
  Bytes output(4 + 4096 + 3, 0);
  output[0] = 6;
  output[4] = 7;
  output[5] = 8;
  test::put16(output, 4 + 4096, 2);
  output[4 + 4098] = 1;
  e = DecodeUhidEvent(output);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->reportType, 1);
  EXPECT_EQ(Bytes(e->data.begin(), e->data.end()), (Bytes{7, 8}));

  // UHID_START and others: the type is enough.
  e = DecodeUhidEvent(Bytes{2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_TRUE(e);
  EXPECT_EQ(e->type, 2u);
}

TEST(UhidMessages, RefusesEventsShorterThanTheyClaim) {
  const std::vector<Bytes> bad = {
      {9, 0, 0},                                       // no whole type
      {9, 0, 0, 0, 1, 0, 0, 0, 3},                     // GET_REPORT without rtype
      {13, 0, 0, 0, 5, 0, 0, 0, 2, 0, 3, 0, 2, 0x11},  // SET_REPORT: 3 bytes said, 2 there
      {13, 0, 0, 0, 5, 0, 0, 0, 2, 0, 0x01, 0x10},     // SET_REPORT: 4097 bytes said
      {6, 0, 0, 0, 7, 8},                              // OUTPUT without its whole field
  };
  for (const Bytes& b : bad) EXPECT_FALSE(DecodeUhidEvent(b)) << "type " << int(b[0]);
}

}  // namespace
}  // namespace qor::sim
