// SPDX-License-Identifier: GPL-2.0-or-later
// Apply: save everything, hand the pointer settings to the desktop, upload the profile.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/data_module.h"
#include "platform/monitor_link.h"
#include "platform/pointer_settings.h"
#include "protocol/profile_upload.h"

namespace qor {

class TuiHIDData;

inline constexpr const char* kNoMouseTitle = "Warning";
inline constexpr const char* kNoMouseText =
    "Please connect your mouse device before apply new settings!";
inline constexpr const char* kMouseStoppedTitle = "Warning";
inline constexpr const char* kMouseStoppedText =
    "The mouse stopped answering during Apply. Your settings are saved; reconnect the mouse and "
    "press Apply again.";
inline constexpr std::chrono::milliseconds kApplyPause{50};

// What the caller's event loop offers to Apply.
struct ApplyHooks {
  std::function<void()> ProcessMessages;                 // handle pending events; may be empty
  std::function<void(std::chrono::milliseconds)> Sleep;  // empty: really sleep
  std::function<void(bool)> Busy;                        // show and animate, or hide
  std::function<void(const std::string&)> Trace;         // one line per device step
};

enum class ApplyResult { Applied, NoMouse, MouseStopped, NoProfile };

// What reading the uploaded blocks back found.
struct ApplyVerification {
  std::string readFailure;               // why the mouse could not be read, or ""
  std::vector<std::string> differences;  // one line per block that differs
};

class ApplySequence {
 public:
  ApplySequence(TDM& dm, TuiHIDData& device, std::shared_ptr<PointerSettings> pointer,
                MonitorLink& monitor);

  // Runs Apply. NoMouse: the data was saved and the pointer settings handed on, but nothing
  // was sent; the caller shows kNoMouseTitle / kNoMouseText. MouseStopped: the data was saved
  // but a device exchange failed and nothing was sent after it; the caller shows
  // kMouseStoppedTitle / kMouseStoppedText (Failure() says which exchange and why).
  // NoProfile: the current slot holds no profile of this version; nothing was sent and
  // Warnings() says so.
  ApplyResult Run(const ApplyHooks& hooks);
  // The failed exchange of the last Run, or "".
  const std::string& Failure() const { return FFailure; }
  // Whether the last Run's save succeeded (its problems went to the data module's sink).
  bool Saved() const { return FSaved; }
  // Reads back every block the last successful Run wrote and compares it.
  ApplyVerification Verify();
  // What the last upload could not carry to the mouse, for the user to read.
  const UploadWarnings& Warnings() const { return FWarnings; }

 private:
  TDM& FDM;
  TuiHIDData& FDevice;
  std::shared_ptr<PointerSettings> FPointer;
  MonitorLink& FMonitor;
  UploadWarnings FWarnings;
  std::string FFailure;
  bool FSaved = false;
  std::vector<DeviceBlock> FWritten;  // what the last Run left in the mouse
};

}  // namespace qor
