// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/sim_server.h"

#include <fcntl.h>
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

#include "platform/atomic_file.h"
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

std::string hex(const uint8_t* data, std::size_t size) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string text(2 * size, '0');
  for (std::size_t i = 0; i < size; ++i) {
    text[2 * i] = digits[data[i] >> 4];
    text[2 * i + 1] = digits[data[i] & 15];
  }
  return text;
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

// The memory of an interface: the kept file when there is one, else a new mouse's.
std::optional<std::string> loadMemory(const fs::path& file, const std::optional<std::string>& model,
                                      DeviceMemory& memory, bool& loaded) {
  std::error_code ec;
  loaded = !file.empty() && fs::exists(file, ec);
  if (!loaded) {
    memory = FactoryMemory(model ? *model : kDefaultModel);
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  if (auto problem = readWholeFile(file, bytes, kDeviceMemorySize + 1)) return problem;
  if (bytes.size() != kDeviceMemorySize)
    return "cannot use " + file.string() + ": it holds " + std::to_string(bytes.size()) +
           " bytes, a memory file holds " + std::to_string(kDeviceMemorySize) +
           " (remove it to start with a new mouse's memory)";
  std::copy(bytes.begin(), bytes.end(), memory.begin());
  if (model) {
    std::fill_n(memory.begin() + kModelNumberAddress, kModelNumberSize, 0);
    std::copy_n(model->begin(), std::min(model->size(), kModelNumberSize),
                memory.begin() + kModelNumberAddress);
  }
  return std::nullopt;
}

}  // namespace

struct SimServer::Interface {
  int number = 1;
  Firmware firmware;
  fs::path socket;
  UniqueFd listener;
  fs::path memoryFile;
  UniqueFd log;
};

struct SimServer::Connection {
  UniqueFd fd;
  Interface* interface = nullptr;
  bool closed = false;
  bool opened = false;  // its open delay is over
  std::chrono::steady_clock::time_point accepted = std::chrono::steady_clock::now();
};

fs::path PerInterfaceFile(const fs::path& file, int n) {
  if (file.empty() || n == 1) return file;
  fs::path numbered = file;
  numbered += "." + std::to_string(n);
  return numbered;
}

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
  for (int n = 1; n <= options.interfaces; ++n) {
    auto iface = std::make_unique<Interface>();
    iface->number = n;
    iface->memoryFile = PerInterfaceFile(options.memoryFile, n);
    DeviceMemory memory{};
    bool loaded = false;
    if (auto problem = loadMemory(iface->memoryFile, options.model, memory, loaded)) {
      error = *problem;
      return nullptr;
    }
    iface->firmware = Firmware(memory, options.interface.featureLength);
    if (!iface->memoryFile.empty() && (!loaded || options.model)) {
      if (auto problem = writeFileAtomically(iface->memoryFile, memory.data(), memory.size())) {
        error = *problem;
        return nullptr;
      }
    }
    if (!options.logFile.empty()) {
      const fs::path log = PerInterfaceFile(options.logFile, n);
      iface->log.reset(::open(log.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
      if (!iface->log) {
        error = errnoText("cannot open the log", log, errno);
        return nullptr;
      }
    }
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

// Appends one line to the interface's log at once; a refusal also goes to the problem sink.
void SimServer::log(Interface& iface, const std::string& line) {
  if (iface.log) {
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t w = ::write(iface.log.get(), text.data() + done, text.size() - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) break;
      done += std::size_t(w);
    }
  }
  if (line.rfind("ERR ", 0) == 0)
    problems_("interface " + std::to_string(iface.number) + ": " + line.substr(4));
}

SimServer::Fault SimServer::nextExchange() {
  ++exchanges_;
  if (options_.unplugAfter && exchanges_ >= options_.unplugAfter) return Fault::Unplug;
  if (options_.failAfter && exchanges_ >= options_.failAfter) return Fault::Fail;
  return Fault::None;
}

std::string SimServer::injectedFailure() const {
  return "ERR exchange " + std::to_string(exchanges_) + " failed as asked (--fail-after " +
         std::to_string(options_.failAfter) + ")";
}

int SimServer::setFeature(Interface& iface, std::span<const uint8_t> report) {
  log(iface, "SET " + hex(report.data(), report.size()));
  if (currentFault_ == Fault::Fail) {
    log(iface, injectedFailure());
    return EIO;
  }
  const FirmwareResult r = iface.firmware.setFeature(report.data(), report.size());
  if (r.error) log(iface, "ERR " + r.problem);
  if (r.memoryChanged && !iface.memoryFile.empty()) {
    const DeviceMemory& memory = iface.firmware.memory();
    if (auto problem = writeFileAtomically(iface.memoryFile, memory.data(), memory.size()))
      problems_("interface " + std::to_string(iface.number) + ": " + *problem);
  }
  return r.error;
}

int SimServer::getFeature(Interface& iface, std::span<const uint8_t> id, std::size_t size,
                          std::vector<uint8_t>& answer) {
  if (currentFault_ == Fault::Fail) {
    log(iface, injectedFailure());
    return EIO;
  }
  const std::string asked = "GET of report ID " + std::to_string(id.empty() ? -1 : id[0]) + " (" +
                            std::to_string(size) + " bytes): ";
  if (id.size() != 1 || size == 0 || size > kMaxReportSize) {
    log(iface, "ERR " + asked + "not a report the device can answer");
    return EINVAL;
  }
  answer.assign(size, 0);
  answer[0] = id[0];
  const FirmwareResult r = iface.firmware.getFeature(answer.data(), answer.size());
  if (r.error) {
    log(iface, "ERR " + asked + r.problem);
    answer.clear();
    return r.error;
  }
  log(iface, "GET " + hex(answer.data(), answer.size()));
  return 0;
}

bool SimServer::serve(Connection& c) {
  const ssize_t n = ::recv(c.fd.get(), message_.data(), message_.size(), MSG_TRUNC);
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  if (n <= 0) {
    c.closed = true;
    return true;
  }
  Interface& iface = *c.interface;
  auto request = std::size_t(n) <= message_.size()
                     ? DecodeRequest(std::span(message_.data(), std::size_t(n)))
                     : std::nullopt;
  if (!request) {
    problems_("interface " + std::to_string(iface.number) +
              ": a host sent a message that is not a request; its connection is closed");
    c.closed = true;
    return true;
  }

  if (request->op != SimOp::Describe && !c.opened) {
    // The whole server waits, as the one device behind every connection would.
    std::this_thread::sleep_until(c.accepted + std::chrono::milliseconds(options_.openDelayMs));
    c.opened = true;
  }
  if (request->op == SimOp::SetFeature || request->op == SimOp::GetFeature) {
    currentFault_ = nextExchange();
    if (currentFault_ == Fault::Unplug) return false;
  }
  int status = 0;
  std::vector<uint8_t> data;
  switch (request->op) {
    case SimOp::Describe:
      data = EncodeDescription(description_);
      break;
    case SimOp::SetFeature:
      status = setFeature(iface, request->data);
      break;
    case SimOp::GetFeature:
      status = getFeature(iface, request->data, request->argument, data);
      break;
    case SimOp::Write:
      log(iface, "ERR write of " + std::to_string(request->data.size()) +
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
