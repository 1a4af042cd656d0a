// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/window_instance.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/linux/session_bus.h"

namespace qor {
namespace {

// How long the running window has to answer; it answers from its event loop.
constexpr std::chrono::seconds kAnswerTimeout{3};
// How often a start looks again for the name or the lock while both are missing.
constexpr std::chrono::milliseconds kPollInterval{10};

struct MessageUnref {
  void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

enum class Answer { Activated, NoOwner, NoAnswer, NoBus };

// Calls Activate({}) on the window's object; `problem` gets the bus's reason for NoAnswer.
Answer askToActivate(sd_bus* bus, std::string& problem) {
  sd_bus_message* raw = nullptr;
  if (sd_bus_message_new_method_call(bus, &raw, kWindowBusName, kWindowObjectPath, kWindowInterface,
                                     "Activate") < 0)
    return Answer::NoBus;
  Message call(raw);
  // No service file starts a window: only a running one may answer.
  sd_bus_message_set_auto_start(call.get(), 0);
  if (sd_bus_message_open_container(call.get(), 'a', "{sv}") < 0 ||
      sd_bus_message_close_container(call.get()) < 0)
    return Answer::NoBus;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  const int r = sd_bus_call(bus, call.get(), 0, &error, &reply);
  sd_bus_message_unref(reply);
  Answer answer = Answer::Activated;
  if (r < 0) {
    if (sd_bus_error_has_name(&error, SD_BUS_ERROR_NAME_HAS_NO_OWNER) ||
        sd_bus_error_has_name(&error, SD_BUS_ERROR_SERVICE_UNKNOWN))
      answer = Answer::NoOwner;
    else if (r == -ETIMEDOUT || sd_bus_error_is_set(&error))  // an owner that fails to answer
      answer = Answer::NoAnswer;
    else
      answer = Answer::NoBus;  // the connection itself failed
    problem = sd_bus_error_is_set(&error) && error.message ? error.message : std::strerror(-r);
  }
  sd_bus_error_free(&error);
  return answer;
}

WindowStart byLock(const char* heldMessage) {
  std::string problem;
  if (auto lock = InstanceLock::TryAcquire(kSettingsLockName, &problem))
    return {WindowStart::Outcome::Run, std::move(lock), {}};
  if (!problem.empty()) return {WindowStart::Outcome::Failed, nullptr, problem};
  return {WindowStart::Outcome::HeldAlready, nullptr, heldMessage};
}

}  // namespace

WindowStart StartWindowInstance(std::chrono::milliseconds waitForName) {
  SessionBus bus = OpenSessionBus(kAnswerTimeout);
  if (!bus)
    return byLock("the settings are held by a running window or by qorcfg51-ctl (no session bus)");
  const auto end = std::chrono::steady_clock::now() + waitForName;
  for (;;) {
    std::string problem;
    switch (askToActivate(bus.get(), problem)) {
      case Answer::Activated:
        return {WindowStart::Outcome::Activated, nullptr, {}};
      case Answer::NoAnswer:
        return {WindowStart::Outcome::Failed, nullptr,
                std::string("the running window does not answer: ") + problem};
      case Answer::NoBus:
        return byLock("the settings are held by a running window or by qorcfg51-ctl");
      case Answer::NoOwner:
        break;
    }
    WindowStart start = byLock(
        "the settings are held by another program, and no window owns the name "
        "io.github.qorcfg51 on the session bus");
    if (start.outcome != WindowStart::Outcome::HeldAlready ||
        std::chrono::steady_clock::now() >= end)
      return start;
    std::this_thread::sleep_for(kPollInterval);
  }
}

}  // namespace qor
