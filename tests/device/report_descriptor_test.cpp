// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/report_descriptor.h"

#include <gtest/gtest.h>

#include <limits>

#include "device/sample_descriptors.h"
#include "test_support/bytes.h"

namespace qor {
namespace {

using test::Bytes;
using test::kBootMouse;
using test::kKeyboardWithConsumer;
using test::kMouseConfig;

HidReportDescriptor parse(const Bytes& d) {
  return ParseReportDescriptor(d.data(), d.size());
}

std::optional<std::vector<uint16_t>> on(const HidCollectionCaps& c, const Bytes& report) {
  return InputButtonUsagesOn(c, report.data(), report.size(), 100);
}

TEST(ReportDescriptor, BootMouse) {
  const HidReportDescriptor d = parse(kBootMouse);
  EXPECT_FALSE(d.usesReportIds);
  ASSERT_EQ(d.collections.size(), 1u);
  const HidCollectionCaps& c = d.collections[0];
  EXPECT_EQ(c.usagePage, 0x01);
  EXPECT_EQ(c.usage, 0x02);
  EXPECT_EQ(c.inputReportByteLength, 4u);  // zero ID byte + 3 bytes
  EXPECT_EQ(c.outputReportByteLength, 0u);
  EXPECT_EQ(c.featureReportByteLength, 0u);
  EXPECT_EQ(c.inputReportIds, (std::vector<uint8_t>{0}));
  EXPECT_EQ(MaxInputButtonUsages(c), 3u);
  // Buttons 1 and 3 down; the padding bit and X, Y are not buttons.
  EXPECT_EQ(on(c, {0x00, 0x0D, 0xFF, 0x80}), (std::vector<uint16_t>{1, 3}));
  EXPECT_EQ(on(c, {0x00, 0x00, 0x05, 0x05}), (std::vector<uint16_t>{}));
  // A report cut short yields the buttons it holds.
  EXPECT_EQ(on(c, {0x00, 0x02}), (std::vector<uint16_t>{2}));
}

TEST(ReportDescriptor, KeyboardWithConsumerControlHasTwoCollections) {
  const HidReportDescriptor d = parse(kKeyboardWithConsumer);
  EXPECT_TRUE(d.usesReportIds);
  ASSERT_EQ(d.collections.size(), 2u);
  const HidCollectionCaps& kbd = d.collections[0];
  EXPECT_EQ(kbd.usagePage, 0x01);
  EXPECT_EQ(kbd.usage, 0x06);
  EXPECT_EQ(kbd.inputReportByteLength, 9u);   // ID + modifiers + reserved + 6 keys
  EXPECT_EQ(kbd.outputReportByteLength, 2u);  // ID + 5 LED bits + 3 padding
  EXPECT_EQ(kbd.featureReportByteLength, 0u);
  EXPECT_EQ(kbd.inputReportIds, (std::vector<uint8_t>{1}));
  EXPECT_EQ(MaxInputButtonUsages(kbd), 14u);  // 8 modifiers + 6 array slots
  const HidCollectionCaps& consumer = d.collections[1];
  EXPECT_EQ(consumer.usagePage, 0x0C);
  EXPECT_EQ(consumer.usage, 0x01);
  EXPECT_EQ(consumer.inputReportByteLength, 3u);
  EXPECT_EQ(consumer.outputReportByteLength, 0u);
  EXPECT_EQ(consumer.inputReportIds, (std::vector<uint8_t>{2}));

  // Left Shift (E1) and Right GUI (E7) held, keys A (04) and Z (1D); slot value 0 is empty.
  EXPECT_EQ(on(kbd, {0x01, 0x82, 0x00, 0x04, 0x00, 0x1D, 0x00, 0x00, 0x00}),
            (std::vector<uint16_t>{0xE1, 0xE7, 0x04, 0x1D}));
  // An index above the logical maximum is no key.
  EXPECT_EQ(on(kbd, {0x01, 0x00, 0x00, 0x66, 0x00, 0x00, 0x00, 0x00, 0x00}),
            (std::vector<uint16_t>{}));
  EXPECT_EQ(on(consumer, {0x02, 0xE9, 0x00}), (std::vector<uint16_t>{0xE9}));  // Volume Up
  // A report of the other collection has no buttons here.
  EXPECT_EQ(on(kbd, {0x02, 0xE9, 0x00}), std::nullopt);
  EXPECT_EQ(on(consumer, {0x01, 0x82, 0x00}), std::nullopt);
}

TEST(ReportDescriptor, MouseConfigurationCollection) {
  const HidReportDescriptor d = parse(kMouseConfig);
  EXPECT_TRUE(d.usesReportIds);
  ASSERT_EQ(d.collections.size(), 1u);
  const HidCollectionCaps& c = d.collections[0];
  EXPECT_EQ(c.usagePage, 0xFFA0);
  EXPECT_EQ(c.usage, 0x0001);
  EXPECT_EQ(c.featureReportByteLength, 4096u);
  EXPECT_EQ(c.inputReportByteLength, 0u);
  EXPECT_EQ(c.outputReportByteLength, 0u);
  EXPECT_EQ(c.featureReportIds, (std::vector<uint8_t>{2, 3, 4, 5, 6}));
  EXPECT_TRUE(c.inputButtons.empty());

  // Each report alone: its length is ID byte + data, the largest stands for the collection.
  const std::pair<std::size_t, uint32_t> reports[] = {
      {14, 16}, {22, 64}, {30, 1024}, {39, 2048}, {48, 4096}};
  for (const auto& [start, length] : reports) {
    Bytes one(kMouseConfig.begin(), kMouseConfig.begin() + 14);
    one.insert(one.end(), kMouseConfig.begin() + start,
               kMouseConfig.begin() + start + (start < 30 ? 8 : 9));
    one.push_back(0xC0);
    EXPECT_EQ(parse(one).collections.at(0).featureReportByteLength, length) << start;
  }
}

TEST(ReportDescriptor, PushPopExtendedUsagesLongItemsAndOddSizes) {
  const Bytes d = {0x05, 0x01,                          // Generic Desktop
                   0x0B, 0x01, 0x00, 0xA0, 0xFF,        // Usage FFA0:0001, with its own page
                   0xA1, 0x01,                          // Application
                   0xFE, 0x02, 0x10, 0xAA, 0xBB,        //   long item, skipped
                   0x85, 0x00,                          //   report ID 0 is reserved: ignored
                   0x75, 0x08, 0x95, 0x02, 0xA4,        //   8 bits x 2, Push
                   0x75, 0x04, 0x95, 0x01, 0x81, 0x02,  //   4 bits x 1, Input
                   0xB4, 0x81, 0x02,                    //   Pop: 8 bits x 2, Input
                   0xB4, 0xB4,                          //   Pop without Push: ignored
                   0x75, 0x0C, 0x95, 0x01, 0xB1, 0x02,  //   12 bits Feature
                   0xC0, 0xC0,                          // an extra End Collection is ignored
                   0x05, 0x09, 0xA1, 0x01,              // Button page, Application, no usage
                   0x05, 0x01, 0x0A, 0x05, 0x00,        //   usage 0005 on page 01 (2-byte item)
                   0x1B, 0x01, 0x00, 0x09, 0x00,        //   Usage Minimum 0009:0001
                   0x29, 0x02,                          //   Usage Maximum 02, page of the minimum
                   0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x04, 0x81, 0x02,  // 4 x 1 bit
                   0x75, 0x04, 0x95, 0x01, 0x81, 0x03,                          //   padding
                   0xC0, 0x85};  // cut in the middle of an item
  const HidReportDescriptor r = parse(d);
  EXPECT_FALSE(r.usesReportIds);
  ASSERT_EQ(r.collections.size(), 2u);
  EXPECT_EQ(r.collections[0].usagePage, 0xFFA0);
  EXPECT_EQ(r.collections[0].usage, 0x0001);
  EXPECT_EQ(r.collections[0].featureReportByteLength, 3u);  // 1 + ceil(12 / 8)
  EXPECT_EQ(r.collections[1].usagePage, 0x09);
  EXPECT_EQ(r.collections[1].usage, 0x00);
  // Both collections share input report 0: 4 + 16 bits, then 4 + 4, give 1 + ceil(28 / 8).
  EXPECT_EQ(r.collections[0].inputReportByteLength, 5u);
  EXPECT_EQ(r.collections[1].inputReportByteLength, 5u);
  ASSERT_EQ(r.collections[1].inputButtons.size(), 1u);
  EXPECT_EQ(r.collections[1].inputButtons[0].bitOffset, 20u);
  // Usages 01:0005, 09:0001, 09:0002, and the last repeated for the fourth bit.
  EXPECT_EQ(on(r.collections[1], {0x00, 0x00, 0x00, 0xF0, 0x00}),
            (std::vector<uint16_t>{0x05, 0x01, 0x02, 0x02}));
}

TEST(ReportDescriptor, HugeSizesAndCountsSaturateWithoutWrapping) {
  const Bytes d = {0x05, 0x09, 0x09, 0x01, 0xA1, 0x01, 0x19, 0x01, 0x29, 0x08,  // buttons 1..8
                   0x75, 0x01, 0x97, 0xFF, 0xFF, 0xFF, 0xFF,                    // 1 bit x 2^32-1
                   0x81, 0x02, 0x81, 0x02,                                      // twice
                   0x77, 0xFF, 0xFF, 0xFF, 0xFF,                                // 2^32-1 bits
                   0x81, 0x02, 0x91, 0x02, 0xB1, 0x02, 0xB1, 0x02, 0xC0};
  const HidReportDescriptor r = parse(d);
  ASSERT_EQ(r.collections.size(), 1u);
  const HidCollectionCaps& c = r.collections[0];
  const uint32_t max = std::numeric_limits<uint32_t>::max();
  EXPECT_EQ(c.inputReportByteLength, max);
  EXPECT_EQ(c.outputReportByteLength, max);
  EXPECT_EQ(c.featureReportByteLength, max);
  EXPECT_EQ(MaxInputButtonUsages(c), max);
  // A short report and a small list bound the work.
  Bytes report(4, 0xFF);
  report[0] = 0;
  const auto pressed = InputButtonUsagesOn(c, report.data(), report.size(), 10);
  EXPECT_EQ(pressed, (std::vector<uint16_t>{1, 2, 3, 4, 5, 6, 7, 8, 8, 8}));
  EXPECT_EQ(ParseReportDescriptor(nullptr, 5).collections.size(), 0u);
}

}  // namespace
}  // namespace qor
