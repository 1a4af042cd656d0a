// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/uhid_messages.h"

#include <linux/uhid.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace qor::sim {
namespace {

constexpr std::size_t kPayload = offsetof(uhid_event, u);

template <std::size_t N>
void putText(uint8_t (&field)[N], const std::string& text) {
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// The first `size` bytes of `event`.
std::vector<uint8_t> bytesOf(const uhid_event& event, std::size_t size) {
  const auto* at = reinterpret_cast<const uint8_t*>(&event);
  return std::vector<uint8_t>(at, at + size);
}

template <typename T>
T read(std::span<const uint8_t> bytes, std::size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

}  // namespace

std::vector<uint8_t> EncodeUhidCreate(const UhidDeviceIdentity& identity,
                                      std::span<const uint8_t> descriptor) {
  if (descriptor.size() > HID_MAX_DESCRIPTOR_SIZE) return {};
  uhid_event event{};
  event.type = UHID_CREATE2;
  uhid_create2_req& c = event.u.create2;
  putText(c.name, identity.name);
  putText(c.phys, identity.phys);
  putText(c.uniq, identity.uniq);
  c.rd_size = uint16_t(descriptor.size());
  c.bus = identity.bus;
  c.vendor = identity.vendor;
  c.product = identity.product;
  c.version = identity.version;
  std::copy(descriptor.begin(), descriptor.end(), c.rd_data);
  return bytesOf(event, kPayload + offsetof(uhid_create2_req, rd_data) + descriptor.size());
}

std::vector<uint8_t> EncodeUhidDestroy() {
  uhid_event event{};
  event.type = UHID_DESTROY;
  return bytesOf(event, kPayload);
}

std::vector<uint8_t> EncodeUhidGetReportReply(uint32_t id, uint16_t err,
                                              std::span<const uint8_t> data) {
  uhid_event event{};
  event.type = UHID_GET_REPORT_REPLY;
  uhid_get_report_reply_req& r = event.u.get_report_reply;
  const std::size_t size = err ? 0 : std::min<std::size_t>(data.size(), UHID_DATA_MAX);
  r.id = id;
  r.err = err;
  r.size = uint16_t(size);
  std::copy_n(data.begin(), size, r.data);
  return bytesOf(event, kPayload + offsetof(uhid_get_report_reply_req, data) + size);
}

std::vector<uint8_t> EncodeUhidSetReportReply(uint32_t id, uint16_t err) {
  uhid_event event{};
  event.type = UHID_SET_REPORT_REPLY;
  event.u.set_report_reply.id = id;
  event.u.set_report_reply.err = err;
  return bytesOf(event, kPayload + sizeof(uhid_set_report_reply_req));
}

std::optional<UhidEvent> DecodeUhidEvent(std::span<const uint8_t> bytes) {
  if (bytes.size() < kPayload) return std::nullopt;
  UhidEvent e;
  e.type = read<uint32_t>(bytes, 0);
  const std::span<const uint8_t> payload = bytes.subspan(kPayload);
  switch (e.type) {
    case UHID_GET_REPORT:
      if (payload.size() < sizeof(uhid_get_report_req)) return std::nullopt;
      e.id = read<uint32_t>(payload, offsetof(uhid_get_report_req, id));
      e.reportNumber = payload[offsetof(uhid_get_report_req, rnum)];
      e.reportType = payload[offsetof(uhid_get_report_req, rtype)];
      return e;
    case UHID_SET_REPORT: {
      constexpr std::size_t data = offsetof(uhid_set_report_req, data);
      if (payload.size() < data) return std::nullopt;
      const auto size = read<uint16_t>(payload, offsetof(uhid_set_report_req, size));
      if (size > UHID_DATA_MAX || payload.size() < data + size) return std::nullopt;
      e.id = read<uint32_t>(payload, offsetof(uhid_set_report_req, id));
      e.reportNumber = payload[offsetof(uhid_set_report_req, rnum)];
      e.reportType = payload[offsetof(uhid_set_report_req, rtype)];
      e.data = payload.subspan(data, size);
      return e;
    }
    case UHID_OUTPUT: {
      // The data field comes first and is always whole, its size after it.
      if (payload.size() < sizeof(uhid_output_req)) return std::nullopt;
      const auto size = read<uint16_t>(payload, offsetof(uhid_output_req, size));
      if (size > UHID_DATA_MAX) return std::nullopt;
      e.reportType = payload[offsetof(uhid_output_req, rtype)];
      e.data = payload.subspan(0, size);
      return e;
    }
    default:
      return e;  // START, STOP, OPEN, CLOSE and what later kernels add: nothing to read
  }
}

}  // namespace qor::sim
