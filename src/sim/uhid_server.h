// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual mouse as kernel HID devices: one uhid device per simulated interface, whose
// feature reports the firmware answers. The kernel then makes a hidraw node of each, as for
// a plugged-in mouse.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/unique_fd.h"
#include "sim/served_firmware.h"
#include "sim/uhid_messages.h"

namespace qor::sim {

// What the device of interface n (1-based) tells the kernel: bus USB, the virtual mouse's
// vendor and product, and a phys and uniq naming this process and the interface.
UhidDeviceIdentity SimUhidIdentity(int n);

class UhidServer {
 public:
  using ProblemSink = ServedFirmware::ProblemSink;
  enum class End { Stopped, Unplugged, Failed };

  // Creates one device per interface, each on its own channel: an open /dev/uhid (tests use
  // one end of a SOCK_SEQPACKET socket pair, which keeps messages whole the same way). Null
  // with `error` set when a memory, a log or a device cannot be had; devices created by
  // then are destroyed.
  static std::unique_ptr<UhidServer> Start(const SimOptions& options,
                                           std::vector<UniqueFd> channels, ProblemSink problems,
                                           std::string& error);
  // Destroys the devices: hosts see the mouse unplugged.
  ~UhidServer();
  UhidServer(const UhidServer&) = delete;
  UhidServer& operator=(const UhidServer&) = delete;

  // Serves until `stopFd` becomes readable (Stopped), an unplug is due (Unplugged) or a
  // channel fails (Failed, the reason in `why`).
  End run(int stopFd, std::string& why);

 private:
  UhidServer(const SimOptions& options, ProblemSink problems);
  // Answers one event of device `index`; false when the mouse must disappear now.
  bool serve(std::size_t index, std::span<const uint8_t> bytes, std::string& why);
  bool send(std::size_t index, const std::vector<uint8_t>& message, std::string& why);
  void pause() const;

  SimOptions options_;
  ProblemSink problems_;
  std::unique_ptr<ServedFirmware> firmware_;
  std::vector<UniqueFd> channels_;
  std::vector<bool> created_;
  std::vector<uint8_t> event_;  // one event read
};

}  // namespace qor::sim
