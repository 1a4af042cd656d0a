// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/sim_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/unique_fd.h"
#include "sim/sim_protocol.h"

namespace qor::sim {
namespace fs = std::filesystem;

namespace {

// More connections than this at once are refused: hosts connect for one call at a time.
constexpr std::size_t kMaxConnections = 64;

std::string errnoText(const char* what, const fs::path& file, int err) {
  return std::string(what) + " " + file.string() + ": " + std::strerror(err);
}

// Creates each missing folder of `dir`, private to this user.
std::optional<std::string> makeFolders(const fs::path& dir) {
  fs::path at;
  for (const fs::path& part : dir) {
    at /= part;
    if (::mkdir(at.c_str(), 0700) != 0 && errno != EEXIST)
      return errnoText("cannot create the folder", at, errno);
  }
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return errnoText("cannot use the folder", dir, errno);
  if (!S_ISDIR(st.st_mode)) return errnoText("cannot use the folder", dir, ENOTDIR);
  return std::nullopt;
}

// A listening socket at `path`. It is bound under a name hosts do not look at and renamed
// once it listens: a host that finds a socket refusing connections takes it for one left by a
// simulator that died, and removes it.
std::optional<std::string> listenAt(const fs::path& path, UniqueFd& out) {
  fs::path staging = path;
  staging += ".new";
  sockaddr_un address;
  if (!SocketAddress(staging, address))
    return "the socket path " + path.string() + " is too long (at most " +
           std::to_string(sizeof address.sun_path - 5) +
           " bytes); set QORCFG51_SIM_DIR to a shorter folder";
  UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd) return errnoText("cannot create a socket for", path, errno);
  ::unlink(staging.c_str());  // left by a simulator of this process ID that died
  if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    return errnoText("cannot create the socket", staging, errno);
  if (::listen(fd.get(), 16) != 0 || ::rename(staging.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(staging.c_str());
    return errnoText("cannot open the socket", path, err);
  }
  out = std::move(fd);
  return std::nullopt;
}

}  // namespace

struct SimServer::Interface {
  std::size_t index = 0;  // in the served firmware
  fs::path socket;
  UniqueFd listener;
};

struct SimServer::Connection {
  UniqueFd fd;
  Interface* interface = nullptr;
  bool closed = false;
  bool opened = false;  // its open delay is over
  std::chrono::steady_clock::time_point accepted = std::chrono::steady_clock::now();
};

SimServer::SimServer(const SimOptions& options, ProblemSink problems)
    : options_(options),
      problems_(problems ? std::move(problems) : ProblemSink([](const std::string&) {})),
      description_(DescribeSimInterface(options.interface)) {}

std::unique_ptr<SimServer> SimServer::Start(const SimOptions& options, ProblemSink problems,
                                            std::string& error) {
  std::unique_ptr<SimServer> server(new SimServer(options, std::move(problems)));
  if (auto problem = makeFolders(options.directory)) {
    error = *problem;
    return nullptr;
  }
  server->firmware_ = ServedFirmware::Load(options, server->problems_, error);
  if (!server->firmware_) return nullptr;
  for (int n = 1; n <= options.interfaces; ++n) {
    auto iface = std::make_unique<Interface>();
    iface->index = std::size_t(n - 1);
    char name[32];
    std::snprintf(name, sizeof name, "%ld-%02d", long(::getpid()), n);
    const fs::path socket = options.directory / (std::string(name) + std::string(kSocketSuffix));
    if (auto problem = listenAt(socket, iface->listener)) {
      error = *problem;
      return nullptr;
    }
    iface->socket = socket;
    server->interfaces_.push_back(std::move(iface));
  }
  return server;
}

SimServer::~SimServer() {
  for (const auto& iface : interfaces_)
    if (iface->listener) ::unlink(iface->socket.c_str());
}

std::vector<fs::path> SimServer::socketPaths() const {
  std::vector<fs::path> paths;
  for (const auto& iface : interfaces_) paths.push_back(iface->socket);
  return paths;
}

SimServer::End SimServer::run(int stopFd, std::string& why) {
  std::vector<pollfd> fds;
  for (;;) {
    fds.clear();
    fds.push_back({stopFd, POLLIN, 0});
    for (const auto& iface : interfaces_) fds.push_back({iface->listener.get(), POLLIN, 0});
    for (const auto& c : connections_) fds.push_back({c->fd.get(), POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      why = std::string("poll: ") + std::strerror(errno);
      return End::Failed;
    }
    if (fds[0].revents) return End::Stopped;

    const std::size_t firstConnection = 1 + interfaces_.size();
    for (std::size_t i = 0; i < connections_.size(); ++i) {
      const short events = fds[firstConnection + i].revents;
      Connection& c = *connections_[i];
      if (events & POLLIN) {
        if (!serve(c)) return End::Unplugged;
      } else if (events & (POLLHUP | POLLERR | POLLNVAL)) {
        c.closed = true;
      }
    }
    std::erase_if(connections_, [](const auto& c) { return c->closed; });

    for (std::size_t i = 0; i < interfaces_.size(); ++i) {
      if (!(fds[1 + i].revents & POLLIN)) continue;
      for (;;) {
        UniqueFd fd(::accept4(interfaces_[i]->listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!fd) break;  // EAGAIN: every waiting host accepted
        if (connections_.size() >= kMaxConnections) continue;  // closed at once: refused
        auto c = std::make_unique<Connection>();
        c->fd = std::move(fd);
        c->interface = interfaces_[i].get();
        connections_.push_back(std::move(c));
      }
    }
  }
}

bool SimServer::serve(Connection& c) {
  const ssize_t n = ::recv(c.fd.get(), message_.data(), message_.size(), MSG_TRUNC);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n <= 0) {
    c.closed = true;
    return true;
  }
  const std::size_t index = c.interface->index;
  auto request = std::size_t(n) <= message_.size()
                     ? DecodeRequest(std::span(message_.data(), std::size_t(n)))
                     : std::nullopt;
  if (!request) {
    firmware_->problem(index,
                       "a host sent a message that is not a request; its connection is closed");
    c.closed = true;
    return true;
  }

  if (request->op != SimOp::Describe && !c.opened) {
    // The whole server waits, as the one device behind every connection would.
    std::this_thread::sleep_until(c.accepted + std::chrono::milliseconds(options_.openDelayMs));
    c.opened = true;
  }
  if (request->op == SimOp::SetFeature || request->op == SimOp::GetFeature) {
    if (firmware_->nextExchange() == ServedFirmware::Fault::Unplug) return false;
  }
  int status = 0;
  std::vector<uint8_t> data;
  switch (request->op) {
    case SimOp::Describe:
      data = EncodeDescription(description_);
      break;
    case SimOp::SetFeature:
      status = firmware_->setFeature(index, request->data);
      break;
    case SimOp::GetFeature:
      status = firmware_->getFeature(index, request->data, request->argument, data);
      break;
    case SimOp::Write:
      firmware_->log(index, "ERR write of " + std::to_string(request->data.size()) +
                                " bytes: the interface has no output reports");
      status = EPIPE;
      break;
    case SimOp::Read:
      break;  // the interface has no input reports: nothing is ever waiting
    case SimOp::Open:
      break;  // the delay above is all an open does
  }
  if (request->op != SimOp::Describe && request->op != SimOp::Open && options_.latencyMs)
    std::this_thread::sleep_for(std::chrono::milliseconds(options_.latencyMs));
  const std::vector<uint8_t> reply = EncodeReply(request->op, status, data);
  if (::send(c.fd.get(), reply.data(), reply.size(), MSG_NOSIGNAL) < 0) c.closed = true;
  return true;
}

}  // namespace qor::sim
