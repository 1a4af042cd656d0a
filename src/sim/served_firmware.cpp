// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/served_firmware.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/unique_fd.h"
#include "sim/sim_protocol.h"

namespace qor::sim {
namespace fs = std::filesystem;

namespace {

std::string hex(const uint8_t* data, std::size_t size) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string text(2 * size, '0');
  for (std::size_t i = 0; i < size; ++i) {
    text[2 * i] = digits[data[i] >> 4];
    text[2 * i + 1] = digits[data[i] & 15];
  }
  return text;
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

struct ServedFirmware::Interface {
  int number = 1;
  Firmware firmware;
  fs::path memoryFile;
  UniqueFd log;
};

fs::path PerInterfaceFile(const fs::path& file, int n) {
  if (file.empty() || n == 1) return file;
  fs::path numbered = file;
  numbered += "." + std::to_string(n);
  return numbered;
}

ServedFirmware::ServedFirmware(const SimOptions& options, ProblemSink problems)
    : options_(options),
      problems_(problems ? std::move(problems) : ProblemSink([](const std::string&) {})) {}

ServedFirmware::~ServedFirmware() = default;

std::unique_ptr<ServedFirmware> ServedFirmware::Load(const SimOptions& options,
                                                     ProblemSink problems, std::string& error) {
  std::unique_ptr<ServedFirmware> served(new ServedFirmware(options, std::move(problems)));
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
        error = "cannot open the log " + log.string() + ": " + std::strerror(errno);
        return nullptr;
      }
    }
    served->interfaces_.push_back(std::move(iface));
  }
  return served;
}

void ServedFirmware::problem(std::size_t index, const std::string& text) {
  problems_("interface " + std::to_string(interfaces_[index]->number) + ": " + text);
}

// Appends one line to the interface's log at once; a refusal also goes to the problem sink.
void ServedFirmware::log(std::size_t index, const std::string& line) {
  Interface& iface = *interfaces_[index];
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
  if (line.rfind("ERR ", 0) == 0) problem(index, line.substr(4));
}

ServedFirmware::Fault ServedFirmware::nextExchange() {
  ++exchanges_;
  currentFault_ = Fault::None;
  if (options_.unplugAfter && exchanges_ >= options_.unplugAfter)
    currentFault_ = Fault::Unplug;
  else if (options_.failAfter && exchanges_ >= options_.failAfter)
    currentFault_ = Fault::Fail;
  return currentFault_;
}

std::string ServedFirmware::injectedFailure() const {
  return "ERR exchange " + std::to_string(exchanges_) + " failed as asked (--fail-after " +
         std::to_string(options_.failAfter) + ")";
}

int ServedFirmware::setFeature(std::size_t index, std::span<const uint8_t> report) {
  Interface& iface = *interfaces_[index];
  log(index, "SET " + hex(report.data(), report.size()));
  if (currentFault_ == Fault::Fail) {
    log(index, injectedFailure());
    return EIO;
  }
  const FirmwareResult r = iface.firmware.setFeature(report.data(), report.size());
  if (r.error) log(index, "ERR " + r.problem);
  if (r.memoryChanged && !iface.memoryFile.empty()) {
    const DeviceMemory& memory = iface.firmware.memory();
    if (auto problem = writeFileAtomically(iface.memoryFile, memory.data(), memory.size()))
      this->problem(index, *problem);
  }
  return r.error;
}

int ServedFirmware::getFeature(std::size_t index, std::span<const uint8_t> id, std::size_t size,
                               std::vector<uint8_t>& answer) {
  if (currentFault_ == Fault::Fail) {
    log(index, injectedFailure());
    return EIO;
  }
  const std::string asked = "GET of report ID " + std::to_string(id.empty() ? -1 : id[0]) + " (" +
                            std::to_string(size) + " bytes): ";
  if (id.size() != 1 || size == 0 || size > kMaxReportSize) {
    log(index, "ERR " + asked + "not a report the device can answer");
    return EINVAL;
  }
  answer.assign(size, 0);
  answer[0] = id[0];
  const FirmwareResult r = interfaces_[index]->firmware.getFeature(answer.data(), answer.size());
  if (r.error) {
    log(index, "ERR " + asked + r.problem);
    answer.clear();
    return r.error;
  }
  // A device answering short, which hosts must take for a failure.
  answer.resize(answer.size() - std::min<std::size_t>(options_.shortAnswers, answer.size() - 1));
  log(index, "GET " + hex(answer.data(), answer.size()));
  return 0;
}

}  // namespace qor::sim
