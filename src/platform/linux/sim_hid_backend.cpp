// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/sim_hid_backend.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/unique_fd.h"
#include "sim/sim_protocol.h"

namespace qor {
namespace {

namespace fs = std::filesystem;
using sim::SimOp;

// How long a simulator may take to answer one request.
constexpr int kReplyTimeoutMs = 10000;

// One request and its reply over a connected socket. Returns 0 with the reply's status in
// `status` and its data in `data`, or the transport's errno: ENODEV when the simulator went
// away, ETIMEDOUT when it did not answer, EPROTO for a reply that is not one.
int call(int fd, SimOp op, uint32_t argument, std::span<const uint8_t> out, int& status,
         std::vector<uint8_t>& data) {
  const std::vector<uint8_t> request = sim::EncodeRequest(op, argument, out);
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) < 0)
    return errno == EPIPE || errno == ECONNRESET || errno == ENOTCONN ? ENODEV : errno;
  pollfd p{fd, POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&p, 1, kReplyTimeoutMs);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) return errno;
  if (ready == 0) return ETIMEDOUT;
  std::vector<uint8_t> reply(sim::kMaxMessageSize);
  ssize_t n;
  do {
    n = ::recv(fd, reply.data(), reply.size(), MSG_TRUNC);
  } while (n < 0 && errno == EINTR);
  if (n == 0 || (n < 0 && errno == ECONNRESET)) return ENODEV;
  if (n < 0) return errno;
  if (std::size_t(n) > reply.size()) return EPROTO;
  auto decoded = sim::DecodeReply(std::span(reply.data(), std::size_t(n)));
  if (!decoded || decoded->op != op) return EPROTO;
  status = decoded->status;
  data.assign(decoded->data.begin(), decoded->data.end());
  return 0;
}

bool isSocketFile(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

// A new simulator makes a new socket file, even under a name an earlier one had.
std::string socketIdentity(const fs::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {};
  return path.string() + "#" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

class SimHidDevice : public HidDevice {
 public:
  explicit SimHidDevice(UniqueFd fd) : fd_(std::move(fd)) {}

  int setFeature(const uint8_t* data, std::size_t size) override {
    return exchange(SimOp::SetFeature, 0, {data, size});
  }

  int getFeature(uint8_t* data, std::size_t size) override {
    if (size == 0 || size > sim::kMaxReportSize) return EINVAL;
    std::vector<uint8_t> answer;
    if (int r = exchange(SimOp::GetFeature, uint32_t(size), {data, 1}, &answer)) return r;
    if (answer.size() != size) return EPROTO;
    std::memcpy(data, answer.data(), size);
    return 0;
  }

  int write(const uint8_t* data, std::size_t size) override {
    return exchange(SimOp::Write, 0, {data, size});
  }

  // A simulator has no input reports: the wait only ends early when it goes away.
  int read(uint8_t* data, std::size_t size, int timeoutMs, std::size_t& got) override {
    got = 0;
    std::vector<uint8_t> report;
    if (int r = exchange(SimOp::Read, uint32_t(std::min(size, sim::kMaxReportSize)), {}, &report))
      return r;
    if (!report.empty()) {
      got = std::min(size, report.size());
      std::memcpy(data, report.data(), got);
      return 0;
    }
    pollfd p{fd_.get(), POLLRDHUP, 0};
    int ready;
    do {
      ready = ::poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR))) return ENODEV;
    return 0;
  }

 private:
  int exchange(SimOp op, uint32_t argument, std::span<const uint8_t> out,
               std::vector<uint8_t>* in = nullptr) {
    int status = 0;
    std::vector<uint8_t> data;
    if (int r = call(fd_.get(), op, argument, out, status, data)) return r;
    if (status == 0 && in) *in = std::move(data);
    return status;
  }

  UniqueFd fd_;
};

class SimHidBackend : public HidBackend {
 public:
  explicit SimHidBackend(fs::path directory) : directory_(std::move(directory)) {}

  std::vector<HidInterfaceInfo> enumerate() override {
    std::vector<fs::path> sockets;
    std::error_code ec;
    for (fs::directory_iterator it(directory_, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.size() > sim::kSocketSuffix.size() && name.ends_with(sim::kSocketSuffix))
        sockets.push_back(it->path());
    }
    std::sort(sockets.begin(), sockets.end());

    std::vector<HidInterfaceInfo> found;
    for (const fs::path& socket : sockets) {
      UniqueFd fd;
      const int r = sim::ConnectSimSocket(socket, fd);
      if (r == ECONNREFUSED && isSocketFile(socket)) ::unlink(socket.c_str());  // its owner died
      if (r != 0) continue;
      int status = 0;
      std::vector<uint8_t> data;
      if (call(fd.get(), SimOp::Describe, 0, {}, status, data) != 0 || status != 0) continue;
      auto info = sim::DecodeDescription(data);
      if (!info) continue;
      info->path = socket.string();
      info->identity = socketIdentity(socket);
      found.push_back(std::move(*info));
    }
    return found;
  }

  std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, int& error) override {
    UniqueFd fd;
    if (int r = sim::ConnectSimSocket(info.path, fd)) {
      error = r == ECONNREFUSED || r == ENOENT ? ENODEV : r;
      return nullptr;
    }
    int status = 0;
    std::vector<uint8_t> none;
    if (int r = call(fd.get(), SimOp::Open, 0, {}, status, none); r || status) {
      error = r ? r : status;
      return nullptr;
    }
    return std::make_unique<SimHidDevice>(std::move(fd));
  }

 private:
  fs::path directory_;
};

}  // namespace

std::unique_ptr<HidBackend> MakeSimulatorHidBackend() {
  return MakeSimulatorHidBackend(sim::SimulatorDirectory());
}

std::unique_ptr<HidBackend> MakeSimulatorHidBackend(const fs::path& directory) {
  return std::make_unique<SimHidBackend>(directory);
}

}  // namespace qor
