// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/apply_sequence.h"

#include <cstdio>
#include <memory>
#include <thread>

#include "app/pointer_restore.h"
#include "app/pointer_worker.h"
#include "app/thread_call.h"
#include "device/hid_data.h"
#include "protocol/device_commands.h"
#include "protocol/profile_upload.h"

namespace qor {

ApplySequence::ApplySequence(TDM& dm, TuiHIDData& device, std::shared_ptr<PointerSettings> pointer,
                             MonitorLink& monitor)
    : FDM(dm), FDevice(device), FPointer(std::move(pointer)), FMonitor(monitor) {}

ApplyResult ApplySequence::Run(const ApplyHooks& hooks) {
  FWarnings.clear();
  FFailure.clear();
  FWritten.clear();
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
  bool busyShown = false;
  auto busy = [&](bool on) {
    busyShown = on;
    if (hooks.Busy) hooks.Busy(on);
  };
  // Sends nothing more after a failed exchange: the mouse is gone or refuses.
  auto stopped = [&](const std::string& step, std::error_code result) {
    FFailure = step + ": " + FDevice.ResultText(result);
    trace(step + " failed (" + FDevice.ResultText(result) + "); nothing more was sent");
    if (busyShown) busy(false);
    return ApplyResult::MouseStopped;
  };

  // The upload is one sequence: the interfaces are opened once, and no other program talks
  // to the mouse from its first command to its last; see TuiHIDData::HandleHold.
  const TuiHIDData::HandleHold hold = FDevice.KeepHandlesOpen();
  // A first open waits for the device's driver, after a listing of every HID interface; both
  // run while everything is saved and during the first pause. Opening sends the mouse
  // nothing, so the order of what it receives stays the same.
  std::jthread opener([this] { FDevice.OpenInterfaces(FDevice.GetUsageAndPage()); });

  // 1-2: everything saved, whatever follows.
  FSaved = FDM.SaveAllProfileData();  // problems reach the data module's sink; Apply goes on

  // 3: the pointer settings on a worker, which keeps the settings object alive.
  const PointerValues values = PointerValuesOf(FDM.FCurrentProfileInfo);
  if (std::shared_ptr<PointerSettings> pointer = FPointer) {
    TuiThread::ThreadCallFunction([pointer, values] { RunPointerWorker(*pointer, values); });
    // The monitor hands these on again after a logout or a replug, and nothing else.
    if (const RegistryResult r = RecordAppliedPointerSettings(FDM.RegistryService(), values);
        !r.isOk())
      trace("the pointer settings handed on were not recorded: " + r.message);
  }
  pause();
  opener.join();

  // An image that is no profile (a zero record) would erase the mouse's settings.
  if (FDM.FCurrentProfileInfo.ProfileHeader.FFileVersion != kProfileFileVersion) {
    FWarnings.push_back("profile " + std::to_string(FDM.FProfileIndex + 1) +
                        " holds no profile of this version; nothing was sent to the mouse");
    trace(FWarnings.back());
    return ApplyResult::NoProfile;
  }

  // 5: the mouse must be there.
  THIDDataParam presence;
  presence.UsageAndPage = FDevice.GetUsageAndPage();
  if (!FDevice.IsDeviceExist(presence)) {
    trace("no mouse found; nothing was sent");
    return ApplyResult::NoMouse;
  }

  trace("command 6 (0, 0)");
  if (std::error_code r = SendCommand6(FDevice, 0, 0)) return stopped("command 6 (0, 0)", r);
  busy(true);

  // A level that cannot be read counts as 0; a mouse that went away fails the next write.
  int32_t level = 0;
  ReadCurrentCPIIndex(FDevice, level);
  trace("current CPI level read: " + std::to_string(level));
  FDM.FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex = level;
  FDM.SaveBackToCurrentProfileInfo();

  // On the heap: a profile is too large for the stack.
  const auto profile = std::make_unique<TMOUSEPROFILEINFO>();
  FDM.ReadProfileInfo(*profile, FDM.FProfileIndex);
  // Built once: what is written is what Verify reads back.
  const UploadBlocks upload = BuildUpload(*profile, &FWarnings);
  trace("profile blocks: button table, macro slots, LED block, CPI block");
  if (std::error_code r = WriteProfileBlocks(FDevice, upload, processMessages))
    return stopped("profile blocks", r);

  pause();
  trace("report rate byte " + std::to_string(upload.reportRateByte));
  if (std::error_code r = WriteDeviceByte(FDevice, upload.reportRateByte, kReportRateAddress))
    return stopped("report rate byte", r);
  trace("bank selector " + std::to_string(upload.bankSelector));
  if (std::error_code r = WriteDeviceByte(FDevice, upload.bankSelector, kBankSelectorAddress))
    return stopped("bank selector", r);
  trace("wheel LED byte");
  if (std::error_code r = WriteDeviceByte(FDevice, upload.wheelLEDByte, kWheelLEDAddress))
    return stopped("wheel LED byte", r);
  pause();
  trace("command 6 (1, 0)");
  if (std::error_code r = SendCommand6(FDevice, 1, 0)) return stopped("command 6 (1, 0)", r);
  pause();
  trace("command 1 (1, 0)");
  if (std::error_code r = SendCommand1(FDevice, 1, 0)) return stopped("command 1 (1, 0)", r);
  pause();

  FWritten = DeviceBlocksOf(upload);
  FMonitor.Notify(0, 0);
  busy(false);
  return ApplyResult::Applied;
}

ApplyVerification ApplySequence::Verify() {
  ApplyVerification v;
  const TuiHIDData::HandleHold hold = FDevice.KeepHandlesOpen();
  for (const DeviceBlock& block : FWritten) {
    std::vector<uint8_t> back(block.bytes.size());
    const auto length = static_cast<uint16_t>(block.bytes.size());
    if (std::error_code r = ReadDeviceBlock(FDevice, back.data(), length, block.address)) {
      v.readFailure = "reading " + std::to_string(length) + " bytes at " +
                      std::to_string(block.address) + ": " + FDevice.ResultText(r);
      return v;
    }
    std::size_t differing = 0, first = 0;
    for (std::size_t i = back.size(); i-- > 0;)
      if (back[i] != block.bytes[i]) ++differing, first = i;
    if (differing)
      v.differences.push_back(std::to_string(differing) + " of " + std::to_string(length) +
                              " bytes at " + std::to_string(block.address) +
                              " differ, the first at " + std::to_string(block.address + first));
  }
  return v;
}

}  // namespace qor
