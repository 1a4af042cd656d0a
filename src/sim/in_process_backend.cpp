// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/in_process_backend.h"

#include <cerrno>
#include <string>

namespace qor::sim {
namespace {

class InProcessDevice : public HidDevice {
 public:
  explicit InProcessDevice(Firmware& firmware) : firmware_(firmware) {}
  int setFeature(const uint8_t* data, std::size_t size) override {
    return firmware_.setFeature(data, size).error;
  }
  int getFeature(uint8_t* data, std::size_t size) override {
    return firmware_.getFeature(data, size).error;
  }
  int write(const uint8_t*, std::size_t) override { return EPIPE; }  // no output reports
  int read(uint8_t*, std::size_t, int, std::size_t& got) override {
    got = 0;  // no input reports
    return 0;
  }

 private:
  Firmware& firmware_;
};

constexpr std::string_view kPathPrefix = "sim:";

}  // namespace

InProcessHidBackend::InProcessHidBackend(SimInterfaceConfig config, int count, DeviceMemory memory)
    : description_(DescribeSimInterface(config)) {
  for (int i = 0; i < count; ++i)
    firmware_.push_back(std::make_unique<Firmware>(memory, config.featureLength));
}

std::vector<HidInterfaceInfo> InProcessHidBackend::enumerate() {
  std::vector<HidInterfaceInfo> all;
  for (std::size_t i = 0; i < firmware_.size(); ++i) {
    HidInterfaceInfo info = description_;
    info.path = std::string(kPathPrefix) + std::to_string(i + 1);
    all.push_back(std::move(info));
  }
  return all;
}

std::unique_ptr<HidDevice> InProcessHidBackend::open(const HidInterfaceInfo& info, int& error) {
  for (std::size_t i = 0; i < firmware_.size(); ++i)
    if (info.path == std::string(kPathPrefix) + std::to_string(i + 1))
      return std::make_unique<InProcessDevice>(*firmware_[i]);
  error = ENOENT;
  return nullptr;
}

}  // namespace qor::sim
