// SPDX-License-Identifier: GPL-2.0-or-later
// One window per user: whether a start of qorcfg51 becomes the window or asks the running one
// to come forward, decided by the owner of the window's name on the session bus, and without a
// session bus by the settings lock.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/instance_lock.h"

namespace qor {

// The name the window owns on the session bus while it runs, and the object a second start
// calls org.freedesktop.Application's Activate on.
inline constexpr const char* kWindowBusName = "io.github.qorcfg51";
inline constexpr const char* kWindowObjectPath = "/io/github/qorcfg51";
inline constexpr const char* kWindowInterface = "org.freedesktop.Application";

struct WindowStart {
  enum class Outcome {
    Run,          // this start is the window: it holds the settings lock
    Activated,    // the running window was asked to come forward
    HeldAlready,  // another process holds the settings lock and no window answers
    Failed,       // the lock file cannot be had, or the running window does not answer
  };
  Outcome outcome;
  std::unique_ptr<InstanceLock> lock;  // held for Run
  std::string message;                 // why, for HeldAlready and Failed
};

// Asks the owner of kWindowBusName to come forward, else takes the settings lock. A lock held
// while no name has an owner belongs to a window still starting or to a moment of the command
// line or the monitor: the start waits up to `waitForName` for either the name or the lock.
// Without a session bus the lock alone decides, at once.
WindowStart StartWindowInstance(std::chrono::milliseconds waitForName = std::chrono::seconds(5));

}  // namespace qor
