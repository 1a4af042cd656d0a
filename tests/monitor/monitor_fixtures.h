// SPDX-License-Identifier: GPL-2.0-or-later
// What the monitor's tests share: bus connections, stand-ins for the device watcher and a
// pluggable virtual mouse, and a record of profile switches made on the monitor's queue.
#pragma once

#include <fcntl.h>
#include <unistd.h>
#include <QDBusConnection>
#include <QStringList>

#include <atomic>
#include <cerrno>
#include <memory>
#include <mutex>
#include <vector>

#include "device/device_watcher.h"
#include "device/hid_backend.h"
#include "sim/in_process_backend.h"

namespace qor {

// Named connections to the current private bus, closed when the test ends.
class BusConnections {
 public:
  ~BusConnections() {
    for (const QString& name : FNames) QDBusConnection::disconnectFromBus(name);
  }
  QDBusConnection open(const QString& role) {
    static int serial = 0;
    const QString name = QStringLiteral("%1-%2").arg(role).arg(++serial);
    FNames << name;
    return QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), name);
  }

 private:
  QStringList FNames;
};

// A device watcher fed by the test: each Change is one byte on a pipe.
class StandInWatcher final : public DeviceWatcher {
 public:
  StandInWatcher() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) FRead = fds[0], FWrite = fds[1];
  }
  ~StandInWatcher() override {
    ::close(FRead);
    ::close(FWrite);
  }
  void Change() { [[maybe_unused]] auto n = ::write(FWrite, "x", 1); }
  int fd() const override { return FRead; }
  std::vector<DeviceChange> readChanges() override {
    std::vector<DeviceChange> changes;
    char byte;
    while (::read(FRead, &byte, 1) == 1) changes.push_back(DeviceChange::Arrival);
    return changes;
  }

 private:
  int FRead = -1, FWrite = -1;
};

// The virtual mouse's firmware as an interface that can be plugged in and out, and that can
// stop answering while it stays plugged in.
class PluggableMouse final : public HidBackend {
 public:
  std::atomic<bool> plugged = false;  // the monitor's queue thread looks too
  std::atomic<bool> stopped = false;
  sim::InProcessHidBackend& firmware() { return FMouse; }
  std::vector<HidInterfaceInfo> enumerate() override {
    return plugged ? FMouse.enumerate() : std::vector<HidInterfaceInfo>{};
  }
  std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, int& error) override {
    auto device = FMouse.open(info, error);
    if (!device) return device;
    return std::make_unique<Stoppable>(std::move(device), stopped);
  }

 private:
  class Stoppable final : public HidDevice {
   public:
    Stoppable(std::unique_ptr<HidDevice> device, const std::atomic<bool>& stopped)
        : FDevice(std::move(device)), FStopped(stopped) {}
    int setFeature(const uint8_t* data, std::size_t size) override {
      return FStopped ? EIO : FDevice->setFeature(data, size);
    }
    int getFeature(uint8_t* data, std::size_t size) override {
      return FStopped ? EIO : FDevice->getFeature(data, size);
    }
    int write(const uint8_t* data, std::size_t size) override {
      return FStopped ? EIO : FDevice->write(data, size);
    }
    int read(uint8_t* data, std::size_t size, int timeoutMs, std::size_t& got) override {
      return FDevice->read(data, size, timeoutMs, got);
    }

   private:
    std::unique_ptr<HidDevice> FDevice;
    const std::atomic<bool>& FStopped;
  };

  sim::InProcessHidBackend FMouse;
};

// The profile indexes a switcher was asked for; switchers run on the monitor's queue thread.
class RecordedSwitches {
 public:
  void add(int index) {
    std::lock_guard lock(FLock);
    FList.push_back(index);
  }
  std::vector<int> list() {
    std::lock_guard lock(FLock);
    return FList;
  }
  void clear() {
    std::lock_guard lock(FLock);
    FList.clear();
  }

 private:
  std::mutex FLock;
  std::vector<int> FList;
};

}  // namespace qor
