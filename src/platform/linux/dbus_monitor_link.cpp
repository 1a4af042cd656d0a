// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/dbus_monitor_link.h"

#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <memory>
#include <system_error>

#include "platform/linux/session_bus.h"

namespace qor {
namespace fs = std::filesystem;

namespace {

struct MessageUnref {
  void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

bool nameHasOwner(sd_bus* bus) {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  int r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                             "org.freedesktop.DBus", "NameHasOwner", &error, &reply, "s",
                             kMonitorBusName);
  sd_bus_error_free(&error);
  if (r < 0) return false;
  Message m(reply);
  int owned = 0;
  return sd_bus_message_read(m.get(), "b", &owned) >= 0 && owned;
}

// Starts `program` in its own session, detached: the grandchild is re-parented to init, so
// it neither stays our zombie nor dies with us.
void startDetached(const fs::path& program) {
  const pid_t child = ::fork();
  if (child < 0) return;
  if (child == 0) {
    ::setsid();
    if (::fork() == 0) {
      if (::chdir(program.parent_path().c_str()) != 0) ::_exit(127);
      ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::_exit(0);
  }
  ::waitpid(child, nullptr, 0);
}

}  // namespace

DbusMonitorLink::DbusMonitorLink(fs::path program, std::chrono::milliseconds timeout)
    : program_(std::move(program)), timeout_(timeout) {}

bool DbusMonitorLink::MonitorRunning() const {
  SessionBus bus = OpenSessionBus(timeout_);
  return bus && nameHasOwner(bus.get());
}

void DbusMonitorLink::Start() {
  SessionBus bus = OpenSessionBus(timeout_);
  if (!bus || nameHasOwner(bus.get())) return;
  std::error_code ec;
  if (program_.empty() || !fs::is_regular_file(program_, ec) ||
      ::access(program_.c_str(), X_OK) != 0)
    return;
  startDetached(program_);
}

void DbusMonitorLink::Notify(uint32_t wparam, uint32_t lparam) {
  SessionBus bus = OpenSessionBus(timeout_);
  if (!bus) return;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  // Synchronous, as the monitor handles the notification before the caller goes on; without
  // an owner the bus answers at once with an error, which is dropped.
  sd_bus_call_method(bus.get(), kMonitorBusName, kMonitorObjectPath, kMonitorInterface, "Notify",
                     &error, &reply, "uu", wparam, lparam);
  sd_bus_error_free(&error);
  sd_bus_message_unref(reply);
}

fs::path MonitorProgramBesideExecutable() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : exe.parent_path() / "corvnmon";
}

}  // namespace qor
