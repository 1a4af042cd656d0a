// SPDX-License-Identifier: GPL-2.0-or-later
// A HID backend declared as a table of interfaces, recording every report it is given.
#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/hid_backend.h"
#include "test_support/bytes.h"

namespace qor::test {

struct FakeInterface {
  HidInterfaceInfo info;
  int openError = 0;               // non-zero: open fails with it
  int featureError = 0;            // returned by setFeature and getFeature
  Bytes featureAnswer;             // what getFeature writes over the caller's buffer
  std::deque<Bytes> inputReports;  // handed out one per read, then time-outs
  bool gone = false;               // read reports ENODEV once the queue is empty
};

// One report the backend received: the interface's path and collection, and the bytes.
struct SentReport {
  std::string path;
  uint32_t collection;
  Bytes bytes;
};

class FakeHidBackend : public HidBackend {
 public:
  std::vector<HidInterfaceInfo> enumerate() override {
    std::lock_guard lock(mutex_);
    ++enumerations;
    std::vector<HidInterfaceInfo> out;
    for (const FakeInterface& i : interfaces) out.push_back(i.info);
    return out;
  }

  std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, int& error) override {
    std::lock_guard lock(mutex_);
    ++opens;
    for (FakeInterface& i : interfaces) {
      if (i.info.path != info.path || i.info.collection != info.collection) continue;
      if (i.openError) {
        error = i.openError;
        return nullptr;
      }
      return std::make_unique<Device>(*this, i);
    }
    error = ENOENT;
    return nullptr;
  }

  // Appends an input report to the interface at `index` (thread-safe against readers).
  void queueInput(std::size_t index, Bytes report) {
    std::lock_guard lock(mutex_);
    interfaces.at(index).inputReports.push_back(std::move(report));
  }
  void unplug(std::size_t index) {
    std::lock_guard lock(mutex_);
    interfaces.at(index).gone = true;
  }

  std::vector<FakeInterface> interfaces;
  std::vector<SentReport> featuresSent;
  std::vector<SentReport> outputsWritten;
  std::vector<Bytes> featureRequests;  // the buffer getFeature was handed
  int enumerations = 0;
  int opens = 0;

 private:
  class Device : public HidDevice {
   public:
    Device(FakeHidBackend& backend, FakeInterface& itf) : backend_(backend), itf_(itf) {}
    int setFeature(const uint8_t* data, std::size_t size) override {
      backend_.featuresSent.push_back({itf_.info.path, itf_.info.collection, {data, data + size}});
      return itf_.featureError;
    }
    int getFeature(uint8_t* data, std::size_t size) override {
      backend_.featureRequests.push_back({data, data + size});
      if (itf_.featureError) return itf_.featureError;
      std::copy_n(itf_.featureAnswer.begin(), std::min(size, itf_.featureAnswer.size()), data);
      return 0;
    }
    int write(const uint8_t* data, std::size_t size) override {
      backend_.outputsWritten.push_back(
          {itf_.info.path, itf_.info.collection, {data, data + size}});
      return 0;
    }
    int read(uint8_t* data, std::size_t size, int timeoutMs, std::size_t& got) override;

   private:
    FakeHidBackend& backend_;
    FakeInterface& itf_;
  };

  std::mutex mutex_;
};

inline int FakeHidBackend::Device::read(uint8_t* data, std::size_t size, int timeoutMs,
                                        std::size_t& got) {
  got = 0;
  {
    std::lock_guard lock(backend_.mutex_);
    if (!itf_.inputReports.empty()) {
      const Bytes report = std::move(itf_.inputReports.front());
      itf_.inputReports.pop_front();
      got = std::min(size, report.size());
      std::copy_n(report.begin(), got, data);
      return 0;
    }
    if (itf_.gone) return ENODEV;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
  return 0;
}

}  // namespace qor::test
