// SPDX-License-Identifier: GPL-2.0-or-later
// Feeds any byte string to the virtual mouse's message decoders, and as a run of feature
// reports to its firmware: [length (1 byte, x 17)][set 0 / get 1][report bytes]...
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "sim/firmware.h"
#include "sim/sim_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::span<const uint8_t> in(data, size);
  qor::sim::DecodeRequest(in);
  qor::sim::DecodeReply(in);
  // A description that decodes encodes back to the same bytes.
  if (auto info = qor::sim::DecodeDescription(in)) {
    const std::vector<uint8_t> again = qor::sim::EncodeDescription(*info);
    if (!std::equal(again.begin(), again.end(), in.begin(), in.end())) std::abort();
  }

  qor::sim::Firmware firmware;
  std::vector<uint8_t> report;
  for (std::size_t at = 0; at + 2 <= size;) {
    const std::size_t length = std::size_t(data[at]) * 17;  // reaches 4096 with 241
    const bool get = data[at + 1] & 1;
    at += 2;
    report.assign(length, 0);
    std::copy_n(data + at, std::min(length, size - at), report.begin());
    at += std::min(length, size - at);
    if (report.empty()) report.push_back(0);
    const auto result = get ? firmware.getFeature(report.data(), report.size())
                            : firmware.setFeature(report.data(), report.size());
    if (result.error == 0 && !result.problem.empty()) std::abort();
  }
  return 0;
}
