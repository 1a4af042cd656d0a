// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/sim_protocol.h"

#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/paths.h"

namespace qor::sim {
namespace {

void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void putBytes(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// Reads little-endian fields from a byte range; every read checks the bytes left.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool u16(uint16_t& v) {
    if (left() < 2) return false;
    v = uint16_t(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return true;
  }
  bool u32(uint32_t& v) {
    if (left() < 4) return false;
    v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(bytes_[at_ + i]) << (8 * i);
    at_ += 4;
    return true;
  }
  bool take(std::size_t n, std::span<const uint8_t>& out) {
    if (left() < n) return false;
    out = bytes_.subspan(at_, n);
    at_ += n;
    return true;
  }
  std::size_t left() const { return bytes_.size() - at_; }

 private:
  std::span<const uint8_t> bytes_;
  std::size_t at_ = 0;
};

std::vector<uint8_t> encodeMessage(SimOp op, uint32_t word, std::span<const uint8_t> data) {
  std::vector<uint8_t> out{uint8_t(op), 0, 0, 0};
  out.reserve(kMessageHeaderSize + data.size());
  put32(out, word);
  putBytes(out, data);
  return out;
}

bool decodeMessage(std::span<const uint8_t> message, SimOp& op, uint32_t& word,
                   std::span<const uint8_t>& data) {
  if (message.size() < kMessageHeaderSize) return false;
  if (message[0] < uint8_t(SimOp::Describe) || message[0] > uint8_t(SimOp::Open)) return false;
  op = SimOp(message[0]);
  Reader r(message.subspan(4));
  r.u32(word);
  data = message.subspan(kMessageHeaderSize);
  return true;
}

}  // namespace

std::filesystem::path SimulatorDirectory(std::string* problem) {
  if (const char* dir = std::getenv("QORCFG51_SIM_DIR"); dir && *dir) return dir;
  const std::filesystem::path runtime = paths::runtimeDir(problem);
  return runtime.empty() ? runtime : runtime / "qorcfg51" / "sim";
}

bool SocketAddress(const std::filesystem::path& socket, sockaddr_un& address) {
  const std::string& text = socket.native();
  address = {};
  address.sun_family = AF_UNIX;
  if (text.empty() || text.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
  return true;
}

int ConnectSimSocket(const std::filesystem::path& socket, UniqueFd& out) {
  sockaddr_un address;
  if (!SocketAddress(socket, address)) return ENAMETOOLONG;
  UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
  if (!fd) return errno;
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    return errno;
  out = std::move(fd);
  return 0;
}

std::vector<uint8_t> EncodeRequest(SimOp op, uint32_t argument, std::span<const uint8_t> data) {
  return encodeMessage(op, argument, data);
}

std::optional<SimRequest> DecodeRequest(std::span<const uint8_t> message) {
  SimRequest r;
  if (!decodeMessage(message, r.op, r.argument, r.data)) return std::nullopt;
  return r;
}

std::vector<uint8_t> EncodeReply(SimOp op, int32_t status, std::span<const uint8_t> data) {
  return encodeMessage(op, uint32_t(status), data);
}

std::optional<SimReply> DecodeReply(std::span<const uint8_t> message) {
  SimReply r;
  uint32_t status = 0;
  if (!decodeMessage(message, r.op, status, r.data)) return std::nullopt;
  r.status = int32_t(status);
  return r;
}

std::vector<uint8_t> EncodeDescription(const HidInterfaceInfo& info) {
  std::vector<uint8_t> out;
  put16(out, info.usagePage);
  put16(out, info.usage);
  put32(out, info.inputReportByteLength);
  put32(out, info.outputReportByteLength);
  put32(out, info.featureReportByteLength);
  put16(out, uint16_t(info.hardwareIds.size()));
  for (const std::string& id : info.hardwareIds) {
    put16(out, uint16_t(id.size()));
    putBytes(out, std::span(reinterpret_cast<const uint8_t*>(id.data()), id.size()));
  }
  put32(out, uint32_t(info.reportDescriptor.size()));
  putBytes(out, info.reportDescriptor);
  return out;
}

std::optional<HidInterfaceInfo> DecodeDescription(std::span<const uint8_t> bytes) {
  HidInterfaceInfo info;
  Reader r(bytes);
  uint16_t count = 0;
  if (!r.u16(info.usagePage) || !r.u16(info.usage) || !r.u32(info.inputReportByteLength) ||
      !r.u32(info.outputReportByteLength) || !r.u32(info.featureReportByteLength) || !r.u16(count))
    return std::nullopt;
  for (uint16_t i = 0; i < count; ++i) {
    uint16_t length = 0;
    std::span<const uint8_t> text;
    if (!r.u16(length) || !r.take(length, text)) return std::nullopt;
    info.hardwareIds.emplace_back(text.begin(), text.end());
  }
  uint32_t length = 0;
  std::span<const uint8_t> descriptor;
  if (!r.u32(length) || !r.take(length, descriptor) || r.left() != 0) return std::nullopt;
  info.reportDescriptor.assign(descriptor.begin(), descriptor.end());
  return info;
}

}  // namespace qor::sim
