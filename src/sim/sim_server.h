// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual mouse's socket server: one listening socket and one firmware per simulated
// interface, served from one thread.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/firmware.h"
#include "sim/sim_interface.h"
#include "sim/sim_protocol.h"

namespace qor::sim {

struct SimOptions {
  std::filesystem::path directory;   // where the sockets go (SimulatorDirectory())
  std::optional<std::string> model;  // written at address 0; unset keeps a loaded memory's
  SimInterfaceConfig interface;
  int interfaces = 1;                // each with its own socket and memory
  std::filesystem::path memoryFile;  // empty: the memory lives only in the process
  std::filesystem::path logFile;     // empty: rejected reports go to the problem sink
  unsigned failAfter = 0;            // feature exchange N and later fail with EIO; 0 never
  unsigned unplugAfter = 0;          // the simulator disappears before exchange N; 0 never
  unsigned latencyMs = 0;            // added before every answer but a description
  unsigned openDelayMs = 0;          // a connection's first open or exchange waits this long
};

// The file of interface n (1-based): `file` itself for the first, `file.n` for the others.
std::filesystem::path PerInterfaceFile(const std::filesystem::path& file, int n);

class SimServer {
 public:
  using ProblemSink = std::function<void(const std::string&)>;
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
  enum class Fault { None, Fail, Unplug };
  // Answers one request; false when the simulator must disappear now.
  bool serve(Connection& connection);
  int setFeature(Interface& iface, std::span<const uint8_t> report);
  int getFeature(Interface& iface, std::span<const uint8_t> id, std::size_t size,
                 std::vector<uint8_t>& answer);
  void log(Interface& iface, const std::string& line);
  // Counts one feature exchange and tells the fault injected into it.
  Fault nextExchange();
  std::string injectedFailure() const;

  SimOptions options_;
  ProblemSink problems_;
  HidInterfaceInfo description_;
  std::vector<std::unique_ptr<Interface>> interfaces_;
  std::vector<std::unique_ptr<Connection>> connections_;
  unsigned exchanges_ = 0;            // feature exchanges seen, for fault injection
  Fault currentFault_ = Fault::None;  // of the exchange being answered
  std::vector<uint8_t> message_ = std::vector<uint8_t>(kMaxMessageSize);  // one request
};

}  // namespace qor::sim
