// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/report_descriptor.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <limits>

namespace qor {
namespace {

enum Kind { kInput = 0, kOutput = 1, kFeature = 2, kKinds = 3 };

// Deeper Push items are ignored: real descriptors nest a few levels at most.
constexpr std::size_t kMaxGlobalStack = 16;
// Further usages before one main item are ignored; no real field has more.
constexpr std::size_t kMaxLocalUsages = 4096;

constexpr uint64_t kMaxBits = std::numeric_limits<uint64_t>::max();

uint64_t addSaturated(uint64_t a, uint64_t b) {
  return a > kMaxBits - b ? kMaxBits : a + b;
}

// Item prefix: bSize in bits 0-1 (3 means 4 bytes), bType in bits 2-3, bTag in bits 4-7.
constexpr uint8_t kLongItemPrefix = 0xFE;
enum ItemType { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag {
  kInputTag = 0x8,
  kOutputTag = 0x9,
  kCollectionTag = 0xA,
  kFeatureTag = 0xB,
  kEndCollectionTag = 0xC
};
enum GlobalTag {
  kUsagePageTag = 0x0,
  kLogicalMinimumTag = 0x1,
  kLogicalMaximumTag = 0x2,
  kReportSizeTag = 0x7,
  kReportIdTag = 0x8,
  kReportCountTag = 0x9,
  kPushTag = 0xA,
  kPopTag = 0xB
};
enum LocalTag { kUsageTag = 0x0, kUsageMinimumTag = 0x1, kUsageMaximumTag = 0x2 };
// Main item data bits.
constexpr uint32_t kConstantFlag = 1u << 0;
constexpr uint32_t kVariableFlag = 1u << 1;

struct Globals {
  uint16_t usagePage = 0;
  int64_t logicalMinimum = 0;
  int64_t logicalMaximumSigned = 0;
  uint32_t logicalMaximumUnsigned = 0;
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  uint8_t reportId = 0;
};

// A usage as written: a 4-byte item carries its page, a shorter one takes the page in force
// at the main item that uses it.
struct WrittenUsage {
  uint32_t value = 0;
  bool hasPage = false;
};

class Parser {
 public:
  HidReportDescriptor run(const uint8_t* data, std::size_t size) {
    std::size_t i = 0;
    while (i < size) {
      const uint8_t prefix = data[i];
      if (prefix == kLongItemPrefix) {
        // Long item: bDataSize, bLongItemTag, then the data; no tag is defined, so skip it.
        if (size - i < 3) break;
        const std::size_t length = data[i + 1];
        if (size - i - 3 < length) break;
        i += 3 + length;
        continue;
      }
      const std::size_t n = (prefix & 3) == 3 ? 4 : (prefix & 3);
      if (size - i - 1 < n) break;
      uint32_t u = 0;
      for (std::size_t b = 0; b < n; ++b) u |= uint32_t{data[i + 1 + b]} << (8 * b);
      int64_t s = 0;
      if (n == 1) s = static_cast<int8_t>(u);
      if (n == 2) s = static_cast<int16_t>(u);
      if (n == 4) s = static_cast<int32_t>(u);
      i += 1 + n;
      const uint8_t type = (prefix >> 2) & 3;
      const uint8_t tag = prefix >> 4;
      if (type == kMain) mainItem(tag, u);
      if (type == kGlobal) globalItem(tag, u, s);
      if (type == kLocal) localItem(tag, u, n == 4);
    }
    finish();
    return std::move(out_);
  }

 private:
  void mainItem(uint8_t tag, uint32_t flags) {
    switch (tag) {
      case kInputTag:
        dataItem(kInput, flags);
        break;
      case kOutputTag:
        dataItem(kOutput, flags);
        break;
      case kFeatureTag:
        dataItem(kFeature, flags);
        break;
      case kCollectionTag:
        if (depth_ == 0) startTopLevelCollection();
        ++depth_;
        break;
      case kEndCollectionTag:
        if (depth_ > 0) --depth_;
        break;
      default:
        break;
    }
    usages_.clear();
    usageMinimum_.reset();
  }

  void globalItem(uint8_t tag, uint32_t u, int64_t s) {
    switch (tag) {
      case kUsagePageTag:
        g_.usagePage = static_cast<uint16_t>(u);
        break;
      case kLogicalMinimumTag:
        g_.logicalMinimum = s;
        break;
      case kLogicalMaximumTag:
        g_.logicalMaximumSigned = s;
        g_.logicalMaximumUnsigned = u;
        break;
      case kReportSizeTag:
        g_.reportSize = u;
        break;
      case kReportIdTag:
        // 0 is reserved and IDs are one byte: anything else is not an ID and is ignored.
        if (u >= 1 && u <= 255) {
          g_.reportId = static_cast<uint8_t>(u);
          out_.usesReportIds = true;
        }
        break;
      case kReportCountTag:
        g_.reportCount = u;
        break;
      case kPushTag:
        if (stack_.size() < kMaxGlobalStack) stack_.push_back(g_);
        break;
      case kPopTag:
        if (!stack_.empty()) {
          g_ = stack_.back();
          stack_.pop_back();
        }
        break;
      default:
        break;
    }
  }

  void localItem(uint8_t tag, uint32_t u, bool hasPage) {
    switch (tag) {
      case kUsageTag:
        addUsage({u, hasPage}, {u, hasPage});
        break;
      case kUsageMinimumTag:
        usageMinimum_ = WrittenUsage{u, hasPage};
        break;
      case kUsageMaximumTag:
        if (usageMinimum_) addUsage(*usageMinimum_, {u, hasPage});
        usageMinimum_.reset();
        break;
      default:
        break;
    }
  }

  void addUsage(WrittenUsage first, WrittenUsage last) {
    if (usages_.size() < kMaxLocalUsages) usages_.push_back({first, last});
  }

  uint32_t resolve(WrittenUsage u, uint16_t page) const {
    return u.hasPage ? u.value : (uint32_t{page} << 16 | (u.value & 0xFFFF));
  }

  // The usages of the coming main item with the page now in force; a range whose end has no
  // page of its own stays on the page of its start.
  std::vector<HidUsageRange> resolvedUsages() const {
    std::vector<HidUsageRange> ranges;
    for (const auto& [first, last] : usages_) {
      const uint32_t from = resolve(first, g_.usagePage);
      const uint32_t to = resolve(last, static_cast<uint16_t>(from >> 16));
      if (to >= from) ranges.push_back({from, to});
    }
    return ranges;
  }

  void startTopLevelCollection() {
    HidCollectionCaps caps;
    const std::vector<HidUsageRange> ranges = resolvedUsages();
    if (ranges.empty()) {
      caps.usagePage = g_.usagePage;
    } else {
      caps.usagePage = static_cast<uint16_t>(ranges.front().first >> 16);
      caps.usage = static_cast<uint16_t>(ranges.front().first);
    }
    out_.collections.push_back(std::move(caps));
    ids_.emplace_back();
  }

  void dataItem(Kind kind, uint32_t flags) {
    // Both factors are below 2^32, so the product fits.
    const uint64_t itemBits = uint64_t{g_.reportSize} * g_.reportCount;
    const uint8_t id = g_.reportId;
    const uint64_t offset = bits_[kind][id];
    bits_[kind][id] = addSaturated(offset, itemBits);
    // Items outside every collection take room in their report but belong to no collection.
    if (depth_ == 0 || out_.collections.empty() || itemBits == 0) return;
    ids_.back()[kind].set(id);
    const bool array = (flags & kVariableFlag) == 0;
    // The Windows parser counts one-bit variable fields and array fields as buttons.
    if (kind != kInput || (flags & kConstantFlag) || !(array || g_.reportSize == 1)) return;
    HidButtonField field;
    field.reportId = id;
    field.bitOffset = offset;
    field.reportSize = g_.reportSize;
    field.reportCount = g_.reportCount;
    field.array = array;
    field.logicalMinimum = g_.logicalMinimum;
    // A maximum written as a negative byte with a non-negative minimum means its unsigned value.
    field.logicalMaximum = (g_.logicalMinimum >= 0 && g_.logicalMaximumSigned < 0)
                               ? int64_t{g_.logicalMaximumUnsigned}
                               : g_.logicalMaximumSigned;
    field.usages = resolvedUsages();
    if (!field.usages.empty()) out_.collections.back().inputButtons.push_back(std::move(field));
  }

  // The report-ID byte is counted whether or not the descriptor uses IDs: Windows prefixes
  // reports of descriptors without IDs with a zero byte.
  static uint32_t byteLength(uint64_t bits) {
    const uint64_t bytes = bits / 8 + (bits % 8 != 0) + 1;
    return bytes > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                        : static_cast<uint32_t>(bytes);
  }

  void finish() {
    for (std::size_t c = 0; c < out_.collections.size(); ++c) {
      HidCollectionCaps& caps = out_.collections[c];
      uint32_t* lengths[kKinds] = {&caps.inputReportByteLength, &caps.outputReportByteLength,
                                   &caps.featureReportByteLength};
      std::vector<uint8_t>* idLists[kKinds] = {&caps.inputReportIds, &caps.outputReportIds,
                                               &caps.featureReportIds};
      for (int kind = 0; kind < kKinds; ++kind) {
        for (std::size_t id = 0; id < 256; ++id) {
          if (!ids_[c][kind].test(id)) continue;
          idLists[kind]->push_back(static_cast<uint8_t>(id));
          *lengths[kind] = std::max(*lengths[kind], byteLength(bits_[kind][id]));
        }
      }
    }
  }

  HidReportDescriptor out_;
  Globals g_;
  std::vector<Globals> stack_;
  std::vector<std::pair<WrittenUsage, WrittenUsage>> usages_;
  std::optional<WrittenUsage> usageMinimum_;
  std::size_t depth_ = 0;
  // Bits of each report so far, by kind and report ID, over the whole descriptor.
  std::array<std::array<uint64_t, 256>, kKinds> bits_{};
  // Per top-level collection: the report IDs of each kind that carry its data.
  std::vector<std::array<std::bitset<256>, kKinds>> ids_;
};

// The usage of element `index` of the field: variable fields repeat the last usage for
// elements beyond the list, array fields have no usage there.
uint32_t usageAt(const HidButtonField& field, uint64_t index) {
  for (const HidUsageRange& r : field.usages) {
    const uint64_t length = uint64_t{r.last} - r.first + 1;
    if (index < length) return static_cast<uint32_t>(r.first + index);
    index -= length;
  }
  return field.array ? 0 : field.usages.back().last;
}

// Reads `width` (1 to 32) bits starting at bit `pos`, least significant bit first.
uint32_t readBits(const uint8_t* data, uint64_t pos, uint32_t width) {
  uint32_t value = 0;
  for (uint32_t b = 0; b < width; ++b) {
    const uint64_t bit = pos + b;
    if (data[bit / 8] >> (bit % 8) & 1) value |= 1u << b;
  }
  return value;
}

}  // namespace

HidReportDescriptor ParseReportDescriptor(const uint8_t* data, std::size_t size) {
  return Parser().run(data, data ? size : 0);
}

uint32_t MaxInputButtonUsages(const HidCollectionCaps& collection) {
  uint64_t total = 0;
  for (const HidButtonField& f : collection.inputButtons) total += f.reportCount;
  return static_cast<uint32_t>(std::min<uint64_t>(total, std::numeric_limits<uint32_t>::max()));
}

std::optional<std::vector<uint16_t>> InputButtonUsagesOn(const HidCollectionCaps& collection,
                                                         const uint8_t* report, std::size_t size,
                                                         std::size_t maxUsages) {
  if (size == 0) return std::nullopt;
  const uint8_t id = report[0];
  const uint8_t* data = report + 1;
  const uint64_t dataBits = uint64_t{size - 1} * 8;
  bool hasButtons = false;
  std::vector<uint16_t> on;
  for (const HidButtonField& f : collection.inputButtons) {
    if (f.reportId != id) continue;
    hasButtons = true;
    for (uint64_t e = 0; e < f.reportCount && on.size() < maxUsages; ++e) {
      const uint64_t pos = addSaturated(f.bitOffset, e * f.reportSize);
      if (pos > dataBits || dataBits - pos < f.reportSize) break;
      uint32_t usage = 0;
      if (!f.array) {
        if (readBits(data, pos, 1)) usage = usageAt(f, e);
      } else if (f.reportSize <= 32) {
        int64_t value = readBits(data, pos, f.reportSize);
        // A field whose range starts below zero holds two's-complement values.
        if (f.logicalMinimum < 0 && f.reportSize < 32 && (value >> (f.reportSize - 1)) & 1)
          value -= int64_t{1} << f.reportSize;
        if (f.logicalMinimum < 0 && f.reportSize == 32) value = static_cast<int32_t>(value);
        if (value >= f.logicalMinimum && value <= f.logicalMaximum)
          usage = usageAt(f, static_cast<uint64_t>(value - f.logicalMinimum));
      }
      // Usage 0 means "no button" (an empty array slot).
      if (usage & 0xFFFF) on.push_back(static_cast<uint16_t>(usage));
    }
  }
  if (!hasButtons) return std::nullopt;
  return on;
}

}  // namespace qor
