// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual mouse's firmware driven with hand-built feature reports.
#include <gtest/gtest.h>

#include <cerrno>

#include "sim/firmware.h"
#include "test_support/bytes.h"

namespace qor::sim {
namespace {

using test::Bytes;
using test::padded;

Bytes memoryOf(const Firmware& f) {
  return Bytes(f.memory().begin(), f.memory().end());
}

TEST(Firmware, NewMouseMemory) {
  Bytes expected(2408, 0);
  const Bytes model = {'M', 'O', 'D', 'A', 'L', '0', '0', '1'};
  std::copy(model.begin(), model.end(), expected.begin());
  // 4 levels, level 1 current; 500/1000/1500/2500 CPI as codes 2/4/6/10.
  const Bytes cpi = {4, 1, 1, 2, 2, 1, 4, 4, 1, 6, 6, 1, 10, 10};
  std::copy(cpi.begin(), cpi.end(), expected.begin() + 72);
  std::copy(cpi.begin(), cpi.end(), expected.begin() + 2376);
  EXPECT_EQ(memoryOf(Firmware()), expected);

  // A 16-character model fills the field without a terminator; a longer one is cut there.
  const DeviceMemory m = FactoryMemory("ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ(std::string(m.begin(), m.begin() + 17), std::string("ABCDEFGHIJKLMNOP") + '\0');
}

TEST(Firmware, BlockWriteStoresThePayloadAndReadAnswersWithTheBlock) {
  Firmware f;
  // 9 bytes at 2177 in a 64-byte report (ID 3): 8 header bytes, then the data.
  Bytes write = padded(64, {3, 2, 0x81, 0x08, 9, 0, 0xFA, 0xFA, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  FirmwareResult r = f.setFeature(write.data(), write.size());
  EXPECT_EQ(r.error, 0) << r.problem;
  EXPECT_TRUE(r.memoryChanged);
  EXPECT_EQ(Bytes(f.memory().begin() + 2176, f.memory().begin() + 2187),
            (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));

  // Read 10 bytes at 2176 asked in a 16-byte report, answered in the 64-byte one.
  Bytes read = padded(16, {2, 3, 0x80, 0x08, 10, 0, 0xFA, 0xFA});
  r = f.setFeature(read.data(), read.size());
  EXPECT_EQ(r.error, 0) << r.problem;
  EXPECT_FALSE(r.memoryChanged);
  Bytes answer = padded(64, {3, 0xEE});
  ASSERT_EQ(f.getFeature(answer.data(), answer.size()).error, 0);
  EXPECT_EQ(answer,
            padded(64, {3, 3, 0x80, 0x08, 10, 0, 0xFA, 0xFA, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

  // One answer per read request.
  EXPECT_EQ(f.getFeature(answer.data(), answer.size()).error, EPIPE);
}

TEST(Firmware, StallsReportsItCannotTake) {
  struct Case {
    const char* what;
    Bytes set;  // sent first, when not empty
    Bytes get;  // then asked for, when not empty
    uint32_t featureLength = 4096;
  } cases[] = {
      {"ID 2 in 64 bytes", padded(64, {2, 2, 0, 0, 1, 0, 0xFA, 0xFA, 7}), {}},
      {"ID 3 in 16 bytes", padded(16, {3, 2, 0, 0, 1, 0, 0xFA, 0xFA, 7}), {}},
      {"ID 7", padded(16, {7, 2, 0, 0, 1, 0, 0xFA, 0xFA, 7}), {}},
      {"ID 1", padded(16, {1, 2, 0, 0, 1, 0, 0xFA, 0xFA, 7}), {}},
      {"write past the end", padded(64, {3, 2, 0x60, 0x09, 9, 0, 0xFA, 0xFA}), {}},
      {"read past the end", padded(16, {2, 3, 0x68, 0x09, 1, 0, 0xFA, 0xFA}), {}},
      {"block longer than its report", padded(16, {2, 2, 0, 0, 9, 0, 0xFA, 0xFA}), {}},
      {"report longer than the interface's",
       padded(2048, {5, 2, 0, 0, 1, 0, 0xFA, 0xFA}),
       {},
       1024},
      {"answer without a read", {}, padded(16, {2})},
      {"answer in a report of another length", padded(16, {2, 3, 0, 0, 16, 0, 0xFA, 0xFA}),
       padded(16, {3})},
      {"answer too short for the block", padded(16, {2, 3, 0, 0, 16, 0, 0xFA, 0xFA}),
       padded(16, {2})},
  };
  for (Case& c : cases) {
    Firmware f(FactoryMemory(), c.featureLength);
    const Bytes before = memoryOf(f);
    FirmwareResult r;
    if (!c.set.empty()) r = f.setFeature(c.set.data(), c.set.size());
    if (!c.get.empty()) {
      EXPECT_EQ(r.error, 0) << c.what << ": " << r.problem;
      const Bytes asked = c.get;
      r = f.getFeature(c.get.data(), c.get.size());
      EXPECT_EQ(c.get, asked) << c.what;
    }
    EXPECT_EQ(r.error, EPIPE) << c.what;
    EXPECT_FALSE(r.problem.empty()) << c.what;
    EXPECT_EQ(memoryOf(f), before) << c.what;
  }
}

TEST(Firmware, CommandsWithoutData) {
  Firmware f;
  const Bytes before = memoryOf(f);
  Bytes led = padded(16, {2, 4, 0, 255, 255, 3, 1, 0});
  Bytes one = padded(16, {2, 1, 1, 0});
  Bytes six = padded(16, {2, 6, 1, 0});
  Bytes unknown = padded(16, {2, 5, 0, 0, 1, 0, 0xFA, 0xFA, 9});
  for (Bytes* b : {&led, &one, &six, &six, &unknown}) {
    FirmwareResult r = f.setFeature(b->data(), b->size());
    EXPECT_EQ(r.error, 0) << r.problem;
    EXPECT_FALSE(r.memoryChanged);
  }
  ASSERT_TRUE(f.ledPreview());
  EXPECT_EQ(*f.ledPreview(), (std::array<uint8_t, 5>{0, 255, 255, 3, 1}));
  EXPECT_EQ(f.command1().count, 1u);
  EXPECT_EQ(f.command1().params, (std::array<uint8_t, 6>{1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(f.command6().count, 2u);
  EXPECT_EQ(f.command6().params, (std::array<uint8_t, 6>{1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(memoryOf(f), before);
}

}  // namespace
}  // namespace qor::sim
