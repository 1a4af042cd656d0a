// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual mouse's socket server: one listening socket and one firmware per simulated
// interface, served from one thread.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/served_firmware.h"
#include "sim/sim_protocol.h"

namespace qor::sim {

class SimServer {
 public:
  using ProblemSink = ServedFirmware::ProblemSink;
  enum class End { Stopped, Unplugged, Failed };

  // Loads or creates each interface's memory and opens its socket. Null with `error` set
  // when something cannot be done; nothing is left behind then.
  static std::unique_ptr<SimServer> Start(const SimOptions& options, ProblemSink problems,
                                          std::string& error);
  // Removes the sockets: hosts see the mouse unplugged.
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // The socket of each interface, in interface order.
  std::vector<std::filesystem::path> socketPaths() const;
  // Serves until `stopFd` becomes readable (Stopped), an unplug is due (Unplugged) or polling
  // fails (Failed, the reason in `why`).
  End run(int stopFd, std::string& why);

 private:
  struct Interface;
  struct Connection;
  explicit SimServer(const SimOptions& options, ProblemSink problems);
  // Answers one request; false when the simulator must disappear now.
  bool serve(Connection& connection);

  SimOptions options_;
  ProblemSink problems_;
  HidInterfaceInfo description_;
  std::unique_ptr<ServedFirmware> firmware_;
  std::vector<std::unique_ptr<Interface>> interfaces_;
  std::vector<std::unique_ptr<Connection>> connections_;
  std::vector<uint8_t> message_ = std::vector<uint8_t>(kMaxMessageSize);  // one request
};

}  // namespace qor::sim
