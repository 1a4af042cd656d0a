// SPDX-License-Identifier: GPL-2.0-or-later
#include "test_support/private_bus.h"

#include <signal.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "platform/linux/window_instance.h"
#include "platform/monitor_link.h"

namespace qor::test {

PrivateSessionBus::PrivateSessionBus() {
  if (const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
    hadAddress_ = true;
    oldAddress_ = old;
  }
  FILE* p =
      ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
  if (!p) return;
  char address[512] = {}, pid[64] = {};
  const bool read = std::fgets(address, sizeof address, p) && std::fgets(pid, sizeof pid, p);
  ::pclose(p);
  if (!read) return;
  std::string a(address);
  while (!a.empty() && (a.back() == '\n' || a.back() == '\r')) a.pop_back();
  ::setenv("DBUS_SESSION_BUS_ADDRESS", a.c_str(), 1);
  pid_ = std::atoi(pid);
}

PrivateSessionBus::~PrivateSessionBus() {
  if (pid_ > 0) ::kill(pid_, SIGTERM);
  if (hadAddress_)
    ::setenv("DBUS_SESSION_BUS_ADDRESS", oldAddress_.c_str(), 1);
  else
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

bool NameHasOwner(const char* name) {
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) return false;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  int owned = 0;
  if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                         "org.freedesktop.DBus", "NameHasOwner", &error, &reply, "s", name) >= 0 &&
      sd_bus_message_read(reply, "b", &owned) < 0)
    owned = 0;
  sd_bus_error_free(&error);
  sd_bus_message_unref(reply);
  sd_bus_flush_close_unref(bus);
  return owned != 0;
}

namespace {

int onNotify(sd_bus_message* m, void* userdata, sd_bus_error*) {
  uint32_t w = 0, l = 0;
  if (sd_bus_message_read(m, "uu", &w, &l) < 0) return -EINVAL;
  static_cast<std::function<void(uint32_t, uint32_t)>*>(userdata)->operator()(w, l);
  return sd_bus_reply_method_return(m, "");
}

int onActivate(sd_bus_message* m, void* userdata, sd_bus_error*) {
  ++*static_cast<std::atomic<int>*>(userdata);
  return sd_bus_reply_method_return(m, "");
}

}  // namespace

BusObjectThread::BusObjectThread(const char* name, const char* path, const char* interface,
                                 const sd_bus_vtable* vtable, void* userdata)
    : thread_([=, this] {
        sd_bus* bus = nullptr;
        if (sd_bus_open_user(&bus) >= 0 &&
            sd_bus_add_object_vtable(bus, nullptr, path, interface, vtable, userdata) >= 0 &&
            sd_bus_request_name(bus, name, 0) >= 0)
          ready_ = true;
        started_ = true;
        while (ready_ && !stop_) {
          int r = sd_bus_process(bus, nullptr);
          if (r < 0) break;
          if (r == 0) sd_bus_wait(bus, 20 * 1000);
        }
        if (bus) sd_bus_flush_close_unref(bus);
      }) {
  for (int i = 0; i < 200 && !started_; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

BusObjectThread::~BusObjectThread() {
  stop_ = true;
  thread_.join();
}

namespace {

const sd_bus_vtable kMonitorVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Notify", "uu", "", onNotify, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};
const sd_bus_vtable kWindowVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Activate", "a{sv}", "", onActivate, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END,
};

}  // namespace

RecordingMonitor::RecordingMonitor()
    : record_([this](uint32_t w, uint32_t l) {
        std::lock_guard lock(mutex_);
        calls_.emplace_back(w, l);
      }),
      served_(kMonitorBusName, kMonitorObjectPath, kMonitorInterface, kMonitorVtable, &record_) {}

std::vector<std::pair<uint32_t, uint32_t>> RecordingMonitor::calls() {
  std::lock_guard lock(mutex_);
  return calls_;
}

RecordingWindow::RecordingWindow()
    : served_(kWindowBusName, kWindowObjectPath, kWindowInterface, kWindowVtable, &activations_) {}

}  // namespace qor::test
