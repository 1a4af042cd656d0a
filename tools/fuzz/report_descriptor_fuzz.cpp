// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any byte string to the report descriptor parser, then reads buttons out of an input
// report of each collection it found.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const qor::HidReportDescriptor d = qor::ParseReportDescriptor(data, size);
  for (const qor::HidCollectionCaps& c : d.collections) {
    // A report as long as the collection's (bounded), filled with the input's own bytes.
    std::vector<uint8_t> report(std::min<uint32_t>(c.inputReportByteLength, 4096));
    for (std::size_t i = 0; i < report.size() && size > 0; ++i) report[i] = data[i % size];
    if (!report.empty() && !c.inputReportIds.empty()) report[0] = c.inputReportIds.front();
    qor::InputButtonUsagesOn(c, report.data(), report.size(),
                             std::min<uint32_t>(qor::MaxInputButtonUsages(c), 100));
  }
  return 0;
}
