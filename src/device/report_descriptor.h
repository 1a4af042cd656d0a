// SPDX-License-Identifier: GPL-2.0-or-later
// HID report descriptors: what the Windows HID parser reports about each top-level collection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace qor {

// A run of usages from one Usage item (first == last) or one Usage Minimum/Maximum pair,
// each as usage page << 16 | usage.
struct HidUsageRange {
  uint32_t first = 0;
  uint32_t last = 0;
};

// One data field of input reports that carries buttons: a one-bit variable field (each bit
// one usage) or an array field (each element holds the index of a pressed usage).
struct HidButtonField {
  uint8_t reportId = 0;    // 0 when the descriptor has no report IDs
  uint64_t bitOffset = 0;  // first bit after the report-ID byte
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  bool array = false;
  int64_t logicalMinimum = 0;
  int64_t logicalMaximum = 0;
  std::vector<HidUsageRange> usages;  // in descriptor order
};

// One top-level collection, as HidP_GetCaps reports it.
struct HidCollectionCaps {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  // Largest report of each kind, the report-ID byte included (0 when the kind is absent).
  uint32_t inputReportByteLength = 0;
  uint32_t outputReportByteLength = 0;
  uint32_t featureReportByteLength = 0;
  // Report IDs with data in this collection, ascending (0 when the descriptor has none).
  std::vector<uint8_t> inputReportIds;
  std::vector<uint8_t> outputReportIds;
  std::vector<uint8_t> featureReportIds;
  std::vector<HidButtonField> inputButtons;
};

struct HidReportDescriptor {
  bool usesReportIds = false;                  // reports start with their ID byte on the wire
  std::vector<HidCollectionCaps> collections;  // top-level collections in descriptor order
};

// Parses any byte string without failing: malformed or truncated items end the parse or are
// ignored, and what was understood up to there is kept.
HidReportDescriptor ParseReportDescriptor(const uint8_t* data, std::size_t size);

// The most button usages that one input report of the collection can hold, as
// HidP_MaxUsageListLength counts them (all usage pages).
uint32_t MaxInputButtonUsages(const HidCollectionCaps& collection);

// The usages (without their page) of the buttons that are on in one input report, in field
// order, at most `maxUsages` of them. `report` is the report as Windows reads it: the ID byte
// (0 without report IDs), then the data. Nothing when the report's ID has no button fields.
std::optional<std::vector<uint16_t>> InputButtonUsagesOn(const HidCollectionCaps& collection,
                                                         const uint8_t* report, std::size_t size,
                                                         std::size_t maxUsages);

}  // namespace qor
