// Apply: save everything, hand the pointer settings to the desktop, upload the profile.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "model/data_module.h"
#include "platform/monitor_link.h"
#include "platform/pointer_settings.h"
#include "protocol/profile_blocks.h"

namespace qor {

class TuiHIDData;

inline constexpr const char* kNoMouseTitle = "Warning";
inline constexpr const char* kNoMouseText =
    "Please connect your mouse device before apply new settings!";
inline constexpr std::chrono::milliseconds kApplyPause{50};

// What the caller's event loop offers to Apply.
struct ApplyHooks {
  std::function<void()> ProcessMessages;                 // handle pending events; may be empty
  std::function<void(std::chrono::milliseconds)> Sleep;  // empty: really sleep
  std::function<void()> ClearSettingsChanged;            // the window's settings-changed flag
  std::function<void(bool)> Busy;                        // show and animate, or hide
  std::function<void(const std::string&)> Trace;         // one line per device step
};

enum class ApplyResult { Applied, NoMouse };

class ApplySequence {
 public:
  ApplySequence(TDM& dm, TuiHIDData& device, std::shared_ptr<PointerSettings> pointer,
                MonitorLink& monitor);

  // Runs Apply. NoMouse: the data was saved and the pointer settings handed on, but nothing
  // was sent; the caller shows kNoMouseTitle / kNoMouseText.
  ApplyResult Run(const ApplyHooks& hooks);
  // What the last upload could not carry to the mouse, for the user to read.
  const UploadWarnings& Warnings() const { return FWarnings; }

 private:
  TDM& FDM;
  TuiHIDData& FDevice;
  std::shared_ptr<PointerSettings> FPointer;
  MonitorLink& FMonitor;
  UploadWarnings FWarnings;
};

}  // namespace qor
