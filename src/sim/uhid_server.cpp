// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/uhid_server.h"

#include <linux/input.h>
#include <linux/uhid.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "protocol/command_packet.h"

namespace qor::sim {
namespace {

// The revision the default hardware IDs name (REV_0100).
constexpr uint32_t kSimVersion = 0x0100;

uint32_t hexNumber(const char* text) {
  return uint32_t(std::strtoul(text, nullptr, 16));
}

}  // namespace

UhidDeviceIdentity SimUhidIdentity(int n) {
  const std::string tag = std::to_string(long(::getpid())) + "-" + std::to_string(n);
  UhidDeviceIdentity id;
  id.name = "qorcfg51-sim virtual mouse";
  id.phys = "qorcfg51-sim/" + tag;
  id.uniq = tag;
  id.bus = BUS_USB;
  id.vendor = hexNumber(QOR_SIM_VID);
  id.product = hexNumber(QOR_SIM_PID);
  id.version = kSimVersion;
  return id;
}

UhidServer::UhidServer(const SimOptions& options, ProblemSink problems)
    : options_(options),
      problems_(problems ? std::move(problems) : ProblemSink([](const std::string&) {})),
      event_(sizeof(uhid_event)) {}

std::unique_ptr<UhidServer> UhidServer::Start(const SimOptions& options,
                                              std::vector<UniqueFd> channels, ProblemSink problems,
                                              std::string& error) {
  std::unique_ptr<UhidServer> server(new UhidServer(options, std::move(problems)));
  server->firmware_ = ServedFirmware::Load(options, server->problems_, error);
  if (!server->firmware_) return nullptr;
  server->channels_ = std::move(channels);
  server->created_.assign(server->channels_.size(), false);
  const HidInterfaceInfo description = DescribeSimInterface(options.interface);
  for (std::size_t i = 0; i < server->channels_.size(); ++i) {
    const std::vector<uint8_t> create =
        EncodeUhidCreate(SimUhidIdentity(int(i + 1)), description.reportDescriptor);
    if (create.empty()) {
      error = "the report descriptor is longer than the kernel takes";
      return nullptr;
    }
    std::string why;
    if (!server->send(i, create, why)) {
      error = "the kernel refused the HID device: " + why;
      if (description.reportDescriptor.empty()) error += " (its report descriptor is empty)";
      return nullptr;
    }
    server->created_[i] = true;
  }
  return server;
}

UhidServer::~UhidServer() {
  const std::vector<uint8_t> destroy = EncodeUhidDestroy();
  std::string why;
  for (std::size_t i = 0; i < channels_.size(); ++i)
    if (created_[i]) send(i, destroy, why);
}

bool UhidServer::send(std::size_t index, const std::vector<uint8_t>& message, std::string& why) {
  ssize_t n;
  do n = ::write(channels_[index].get(), message.data(), message.size());
  while (n < 0 && errno == EINTR);
  if (n == ssize_t(message.size())) return true;
  why = n < 0 ? std::strerror(errno) : "short write";
  return false;
}

void UhidServer::pause() const {
  if (options_.latencyMs)
    std::this_thread::sleep_for(std::chrono::milliseconds(options_.latencyMs));
}

UhidServer::End UhidServer::run(int stopFd, std::string& why) {
  std::vector<pollfd> fds;
  for (;;) {
    fds.clear();
    fds.push_back({stopFd, POLLIN, 0});
    for (const UniqueFd& c : channels_) fds.push_back({c.get(), POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      why = std::string("poll: ") + std::strerror(errno);
      return End::Failed;
    }
    if (fds[0].revents) return End::Stopped;
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      const short events = fds[1 + i].revents;
      if (!events) continue;
      const ssize_t n = ::read(channels_[i].get(), event_.data(), event_.size());
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) {
        why = "reading from the kernel: " +
              std::string(n < 0 ? std::strerror(errno) : "the device was closed");
        return End::Failed;
      }
      if (!serve(i, std::span(event_.data(), std::size_t(n)), why))
        return why.empty() ? End::Unplugged : End::Failed;
    }
  }
}

bool UhidServer::serve(std::size_t index, std::span<const uint8_t> bytes, std::string& why) {
  const auto event = DecodeUhidEvent(bytes);
  if (!event) {
    firmware_->problem(index, "the kernel sent an event of " + std::to_string(bytes.size()) +
                                  " bytes that cannot be read; ignored");
    return true;
  }
  const bool feature = event->reportType == UHID_FEATURE_REPORT;
  switch (event->type) {
    case UHID_GET_REPORT: {
      if (firmware_->nextExchange() == ServedFirmware::Fault::Unplug) return false;
      // The kernel does not pass on how many bytes the host asked for: the report is as long
      // as its ID says.
      const uint8_t id = event->reportNumber;
      const std::size_t size =
          id >= kFirstCommandReportID && id <= kLastCommandReportID ? GetReportSizeByID(id) : 1;
      std::vector<uint8_t> answer;
      int status = EPIPE;
      if (feature)
        status = firmware_->getFeature(index, std::span(&id, 1), size, answer);
      else
        firmware_->log(index, "ERR GET of a report of type " + std::to_string(event->reportType) +
                                  ": the interface has feature reports only");
      pause();
      return send(index, EncodeUhidGetReportReply(event->id, uint16_t(status), answer), why);
    }
    case UHID_SET_REPORT: {
      if (firmware_->nextExchange() == ServedFirmware::Fault::Unplug) return false;
      int status = EPIPE;
      if (feature)
        status = firmware_->setFeature(index, event->data);
      else
        firmware_->log(index, "ERR SET of a report of type " + std::to_string(event->reportType) +
                                  ": the interface has feature reports only");
      pause();
      return send(index, EncodeUhidSetReportReply(event->id, uint16_t(status)), why);
    }
    case UHID_OUTPUT:
      firmware_->log(index, "ERR write of " + std::to_string(event->data.size()) +
                                " bytes: the interface has no output reports");
      return true;
    default:
      return true;  // START, OPEN, CLOSE, STOP: the firmware has nothing to do
  }
}

}  // namespace qor::sim
