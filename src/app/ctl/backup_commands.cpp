// SPDX-License-Identifier: GPL-2.0-or-later
// backup and restore: the mouse's whole memory saved to a file and written back.
#include <ctime>
#include <ostream>
#include <thread>

#include "app/apply_sequence.h"
#include "app/ctl/ctl_commands.h"
#include "app/ctl/device_context.h"
#include "app/ctl/no_mouse_report.h"
#include "device/hid_data.h"
#include "platform/atomic_file.h"
#include "protocol/device_commands.h"
#include "protocol/memory_backup.h"

namespace qor::ctl {
namespace {

std::string utcText(int64_t seconds) {
  const auto t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  char text[32] = "?";
  if (gmtime_r(&t, &tm)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &tm);
  return text;
}

bool mousePresent(DeviceContext& context) {
  THIDDataParam presence;
  presence.UsageAndPage = context.device->GetUsageAndPage();
  return context.device->IsDeviceExist(presence);
}

constexpr const char* kNothingDone = "nothing was read or written";

int runBackup(TDM&, const std::vector<std::string>& args, Output& io) {
  DeviceContext context = OpenDeviceContext();
  if (!mousePresent(context)) return ReportNoMouse(context, kNothingDone, io);
  std::vector<uint8_t> memory;
  {
    // One sequence: no other program's read comes between the blocks.
    const TuiHIDData::HandleHold hold = context.device->KeepHandlesOpen();
    if (std::error_code r = ReadDeviceMemory(*context.device, memory)) {
      if (r == std::errc::no_lock_available)
        return ReportMouseBusy(context.device->LockProblem(), kNothingDone, io);
      io.err << "qorcfg51-ctl: the mouse stopped answering while its memory was read ("
             << context.device->ResultText(r) << "); nothing was written to " << args[0] << "\n";
      return kExitMouseStopped;
    }
  }
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  const std::vector<uint8_t> file = EncodeMemoryBackup(memory, now);
  if (auto problem = writeFileAtomically(args[0], file.data(), file.size())) {
    io.err << "qorcfg51-ctl: " << *problem << "\n";
    return kExitFailed;
  }
  io.out << "memory of " << ModelNumberOf(memory.data()) << " (" << memory.size()
         << " bytes) saved to " << args[0] << "\n";
  return kExitOk;
}

// The sequence around the writes is Apply's: command 6 (0, 0) before, command 6 (1, 0) and
// command 1 (1, 0) after, with its pauses.
std::error_code writeBack(TuiHIDData& device, const std::vector<uint8_t>& memory,
                          std::string& step) {
  const auto pause = [] { std::this_thread::sleep_for(kApplyPause); };
  step = "command 6 (0, 0)";
  if (std::error_code r = SendCommand6(device, 0, 0)) return r;
  step = "memory blocks";
  if (std::error_code r = WriteDeviceMemory(device, memory, pause)) return r;
  step = "command 6 (1, 0)";
  if (std::error_code r = SendCommand6(device, 1, 0)) return r;
  pause();
  step = "command 1 (1, 0)";
  if (std::error_code r = SendCommand1(device, 1, 0)) return r;
  pause();
  return {};
}

int verify(TuiHIDData& device, const std::vector<uint8_t>& expected, Output& io) {
  std::vector<uint8_t> back;
  if (std::error_code r = ReadDeviceMemory(device, back)) {
    io.err << "qorcfg51-ctl: the mouse stopped answering while its memory was read back ("
           << device.ResultText(r) << ")\n";
    return kExitMouseStopped;
  }
  std::size_t differing = 0, first = 0;
  for (std::size_t i = back.size(); i-- > 0;)
    if (back[i] != expected[i]) ++differing, first = i;
  if (differing) {
    io.err << "qorcfg51-ctl: verify: " << differing << " of " << back.size()
           << " bytes differ, the first at " << first << "\n";
    return kExitVerifyDiffers;
  }
  io.out << "verified: the mouse holds the backup\n";
  return kExitOk;
}

int runRestore(TDM&, const std::vector<std::string>& args, Output& io) {
  const std::string& name = args[0];
  std::vector<uint8_t> file;
  if (auto problem = readWholeFile(name, file)) {
    io.err << "qorcfg51-ctl: " << *problem << "\n";
    return kExitFailed;
  }
  auto decoded = DecodeMemoryBackup(file);
  if (auto* problem = std::get_if<std::string>(&decoded)) {
    io.err << "qorcfg51-ctl: " << name << ": " << *problem << "; nothing was written\n";
    return kExitFailed;
  }
  const MemoryBackup& backup = std::get<MemoryBackup>(decoded);

  DeviceContext context = OpenDeviceContext();
  if (!mousePresent(context)) return ReportNoMouse(context, kNothingDone, io);
  // The model check, the writes and the read back are one sequence: no other program's
  // exchange comes between them.
  const TuiHIDData::HandleHold hold = context.device->KeepHandlesOpen();
  std::array<uint8_t, kModelNumberSize> model{};
  if (std::error_code r = ReadModelNumber(*context.device, model)) {
    if (r == std::errc::no_lock_available)
      return ReportMouseBusy(context.device->LockProblem(), kNothingDone, io);
    io.err << "qorcfg51-ctl: the mouse did not tell its model (" << context.device->ResultText(r)
           << "); nothing was written\n";
    return kExitMouseStopped;
  }
  // Another model's memory map may differ: its bytes could leave the mouse unusable.
  if (ModelNumberOf(model.data()) != backup.model) {
    io.err << "qorcfg51-ctl: " << name << " is a backup of model \"" << backup.model
           << "\", the connected mouse is \"" << ModelNumberOf(model.data())
           << "\"; nothing was written\n";
    return kExitFailed;
  }

  std::string step;
  if (std::error_code r = writeBack(*context.device, backup.memory, step)) {
    // Not Apply's text: pressing Apply would upload the stored profile, not the backup.
    io.err << "qorcfg51-ctl: the mouse stopped answering during the restore (" << step << ": "
           << context.device->ResultText(r)
           << "); its memory may be half written. Reconnect it and run "
           << "qorcfg51-ctl restore " << name << " again\n";
    return kExitMouseStopped;
  }
  io.out << "memory of " << backup.model << " from " << utcText(backup.time)
         << " written to the mouse\n";
  const bool wantVerify = args.size() > 1;
  return wantVerify ? verify(*context.device, backup.memory, io) : kExitOk;
}

}  // namespace

std::vector<Command> BackupCommands() {
  return {
      {"backup", "FILE", "save the mouse's whole memory to FILE",
       "Reads the mouse's whole memory (both banks, 2408 bytes) and saves it to FILE with a\n"
       "header naming the model number, the date and the length. restore writes it back.\n"
       "When the mouse stops answering, FILE is left as it was.",
       Access::Reads,
       [](const std::vector<std::string>& a) -> std::optional<std::string> {
         if (a.size() != 1) return "takes one file name";
         return std::nullopt;
       },
       runBackup},
      {"restore", "FILE [--verify]", "write a backup made by backup back into the mouse",
       "Writes the memory saved in FILE by backup back into the mouse, with the closing\n"
       "commands of apply, so the mouse holds again what it held then. The file is checked\n"
       "first: a file of another format or length, a cut or damaged file, or a backup of\n"
       "another model than the connected mouse is refused and nothing is written. --verify\n"
       "reads the whole memory back and compares it. The stored profiles are not changed.\n"
       "Nothing more is sent after a step the mouse did not answer.",
       Access::Mouse,
       [](const std::vector<std::string>& a) -> std::optional<std::string> {
         if (a.empty() || a.size() > 2 || a[0] == "--verify" ||
             (a.size() == 2 && a[1] != "--verify"))
           return "takes a file name and, optionally, --verify";
         return std::nullopt;
       },
       runRestore},
  };
}

}  // namespace qor::ctl
