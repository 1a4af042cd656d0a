// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual mouse's firmware as either transport (socket or kernel uhid) serves it: one
// firmware per interface with its memory file and log, and the faults injected into feature
// exchanges, counted across all interfaces.
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
  unsigned shortAnswers = 0;         // answers to reads are this many bytes short
  bool uhid = false;                 // kernel HID devices through /dev/uhid instead of sockets
};

// The file of interface n (1-based): `file` itself for the first, `file.n` for the others.
std::filesystem::path PerInterfaceFile(const std::filesystem::path& file, int n);

class ServedFirmware {
 public:
  using ProblemSink = std::function<void(const std::string&)>;
  enum class Fault { None, Fail, Unplug };

  // Loads or creates each interface's memory (written to its memory file) and opens its
  // log. Null with `error` set when something cannot be done.
  static std::unique_ptr<ServedFirmware> Load(const SimOptions& options, ProblemSink problems,
                                              std::string& error);
  ~ServedFirmware();
  ServedFirmware(const ServedFirmware&) = delete;
  ServedFirmware& operator=(const ServedFirmware&) = delete;

  std::size_t interfaces() const { return interfaces_.size(); }
  // Counts one feature exchange and tells the fault injected into it, which the next
  // setFeature or getFeature then carries out.
  Fault nextExchange();
  unsigned exchanges() const { return exchanges_; }

  // A feature report the host sent to interface `index` (0-based): 0 or an errno. A changed
  // memory is written to the memory file at once.
  int setFeature(std::size_t index, std::span<const uint8_t> report);
  // The feature report with ID id[0] of `size` bytes into `answer`: 0 or an errno.
  int getFeature(std::size_t index, std::span<const uint8_t> id, std::size_t size,
                 std::vector<uint8_t>& answer);
  // Appends a line to the interface's log; an "ERR ..." line also goes to the problem sink.
  void log(std::size_t index, const std::string& line);
  void problem(std::size_t index, const std::string& text);

 private:
  struct Interface;
  ServedFirmware(const SimOptions& options, ProblemSink problems);
  std::string injectedFailure() const;

  SimOptions options_;
  ProblemSink problems_;
  std::vector<std::unique_ptr<Interface>> interfaces_;
  unsigned exchanges_ = 0;            // feature exchanges seen, for fault injection
  Fault currentFault_ = Fault::None;  // of the exchange being answered
};

}  // namespace qor::sim
