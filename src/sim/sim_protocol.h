// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual mouse's transport: one SOCK_SEQPACKET Unix socket per simulated HID interface,
// named <pid>-<nn>.sock in SimulatorDirectory(). Every request is one message and gets one
// reply message; integers are little-endian.
//
// Request: op (1 byte), 3 zero bytes, argument (u32), then data.
// Reply:   op echoed, 3 zero bytes, status (i32: 0 or an errno value), then data.
//
// | op            | argument              | request data   | reply data (status 0)       |
// |---------------|-----------------------|----------------|-----------------------------|
// | 1 describe    | 0                     | none           | the interface description   |
// | 2 set feature | 0                     | the report     | none                        |
// | 3 get feature | report length         | the report ID  | the report, `argument` bytes |
// | 4 write       | 0                     | output report  | none                        |
// | 5 read        | largest length taken  | none           | an input report, or nothing |
// | 6 open        | 0                     | none           | none                        |
//
// A host opens its connection (op 6) before it exchanges reports on it; a simulator started
// with an open delay answers the first open (or the first exchange) of each connection only
// that long after it accepted the connection, as a kernel's HID driver makes a device's first
// opener wait. Descriptions are never delayed: they stand for what sysfs tells without an open.
//
// Interface description: usage page (u16), usage (u16), input, output and feature report
// lengths (u32 each, report ID included), hardware ID count (u16) and each ID as length (u16)
// and bytes, report descriptor length (u32) and bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid_backend.h"
#include "platform/unique_fd.h"

struct sockaddr_un;

namespace qor::sim {

enum class SimOp : uint8_t {
  Describe = 1,
  SetFeature = 2,
  GetFeature = 3,
  Write = 4,
  Read = 5,
  Open = 6,
};

inline constexpr std::size_t kMessageHeaderSize = 8;
// The largest report either side takes; a longer message is answered with EMSGSIZE.
inline constexpr std::size_t kMaxReportSize = 65536;
inline constexpr std::size_t kMaxMessageSize = kMessageHeaderSize + kMaxReportSize;
inline constexpr std::string_view kSocketSuffix = ".sock";

// $QORCFG51_SIM_DIR when set, else qorcfg51/sim in paths::runtimeDir(); empty, with the
// reason in `problem`, when there is no private runtime folder.
std::filesystem::path SimulatorDirectory(std::string* problem = nullptr);

struct SimRequest {
  SimOp op = SimOp::Describe;
  uint32_t argument = 0;
  std::span<const uint8_t> data;  // points into the decoded message
};

struct SimReply {
  SimOp op = SimOp::Describe;
  int32_t status = 0;
  std::span<const uint8_t> data;  // points into the decoded message
};

std::vector<uint8_t> EncodeRequest(SimOp op, uint32_t argument, std::span<const uint8_t> data);
// Nothing for a message shorter than the header or with an unknown op.
std::optional<SimRequest> DecodeRequest(std::span<const uint8_t> message);
std::vector<uint8_t> EncodeReply(SimOp op, int32_t status, std::span<const uint8_t> data);
std::optional<SimReply> DecodeReply(std::span<const uint8_t> message);

// Fills a Unix socket address; false when the path does not fit one (108 bytes).
bool SocketAddress(const std::filesystem::path& socket, sockaddr_un& address);
// Connects a SOCK_SEQPACKET socket to `socket`. Returns 0 or the errno value: ECONNREFUSED
// when nothing listens there (a simulator that died), ENAMETOOLONG for too long a path.
int ConnectSimSocket(const std::filesystem::path& socket, UniqueFd& out);

// The description of an interface (its path is not sent: the socket is the path).
std::vector<uint8_t> EncodeDescription(const HidInterfaceInfo& info);
// Nothing when the bytes are cut short or carry more than the description.
std::optional<HidInterfaceInfo> DecodeDescription(std::span<const uint8_t> bytes);

}  // namespace qor::sim
