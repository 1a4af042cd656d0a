#include "app/apply_sequence.h"

#include <cstdio>
#include <thread>

#include "app/pointer_worker.h"
#include "app/thread_call.h"
#include "device/hid_data.h"
#include "device/usage_pair.h"
#include "protocol/device_commands.h"
#include "protocol/profile_upload.h"

namespace qor {

ApplySequence::ApplySequence(TDM& dm, TuiHIDData& device, std::shared_ptr<PointerSettings> pointer,
                             MonitorLink& monitor)
    : FDM(dm), FDevice(device), FPointer(std::move(pointer)), FMonitor(monitor) {}

ApplyResult ApplySequence::Run(const ApplyHooks& hooks) {
  FWarnings.clear();
  auto processMessages = [&] {
    if (hooks.ProcessMessages) hooks.ProcessMessages();
  };
  auto pause = [&] {
    processMessages();
    if (hooks.Sleep)
      hooks.Sleep(kApplyPause);
    else
      std::this_thread::sleep_for(kApplyPause);
  };
  auto trace = [&](const std::string& step) {
    if (hooks.Trace) hooks.Trace(step);
  };
  auto busy = [&](bool on) {
    if (hooks.Busy) hooks.Busy(on);
  };

  // 1-2: everything saved, whatever follows.
  FDM.SaveAllProfileData();  // problems reach the data module's sink; Apply goes on
  if (hooks.ClearSettingsChanged) hooks.ClearSettingsChanged();

  // 3: the pointer settings on a worker, which keeps the settings object alive.
  const PointerSettingsBuffer buffer = BuildPointerSettingsBuffer(FDM.FCurrentProfileInfo);
  std::shared_ptr<PointerSettings> pointer = FPointer;
  if (pointer)
    TuiThread::ThreadCallFunction(
        [pointer](const uint8_t* b, uint32_t n) { RunPointerWorker(*pointer, b, n); },
        buffer.data(), static_cast<uint32_t>(buffer.size()));
  pause();

  // 5: the mouse must be there.
  THIDDataParam presence;
  presence.UsageAndPage = SharedDeviceUsagePair();
  if (!FDevice.IsDeviceExist(presence)) {
    trace("no mouse found; nothing was sent");
    return ApplyResult::NoMouse;
  }

  trace("command 6 (0, 0)");
  SendCommand6(FDevice, 0, 0);
  busy(true);

  int32_t level = 0;
  ReadCurrentCPIIndex(FDevice, level);
  trace("current CPI level read: " + std::to_string(level));
  FDM.FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = level;
  FDM.SaveBackToCurrentProfileInfo();

  TMOUSEPROFILEINFO profile{};
  FDM.ReadProfileInfo(profile, FDM.FProfileIndex);
  trace("profile blocks: button table, macro slots, LED block, CPI block");
  WriteProfileBlocks(FDevice, profile, processMessages, &FWarnings);

  const uint8_t rate = GetReportRateCode(profile.ConfigInfo.ReportRate, &FWarnings);
  pause();
  trace("report rate byte " + std::to_string(rate * 16 + rate));
  WriteDeviceByte(FDevice, static_cast<uint8_t>(rate * 16 + rate), kReportRateAddress);
  trace("bank selector 0");
  WriteDeviceByte(FDevice, 0, kBankSelectorAddress);
  trace("wheel LED byte");
  WriteWheelLEDByte(FDevice, static_cast<uint8_t>(profile.ConfigInfo.HWVWheelValue),
                    profile.ConfigInfo.WheelLedOnOff != 0, kWheelLEDAddress);
  pause();
  trace("command 6 (1, 0)");
  SendCommand6(FDevice, 1, 0);
  pause();
  trace("command 1 (1, 0)");
  SendCommand1(FDevice, 1, 0);
  pause();

  FMonitor.Notify(0, 0);
  busy(false);
  return ApplyResult::Applied;
}

}  // namespace qor
