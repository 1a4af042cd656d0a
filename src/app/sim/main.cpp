// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-sim: a virtual gaming mouse that qorcfg51 finds and configures like the real one.
#include <sys/signalfd.h>

#include <charconv>
#include <csignal>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/sim/uhid_main.h"
#include "platform/atomic_file.h"
#include "platform/command_line.h"
#include "sim/sim_protocol.h"
#include "sim/sim_server.h"

using namespace qor;
using namespace qor::sim;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// Beyond what any transport carries (the kernel takes 4096 bytes).
constexpr std::size_t kMaxDescriptorFileSize = 65536;

void printUsage(std::ostream& out) {
  const std::vector<std::string> ids =
      DefaultHardwareIds(kMouseConfigUsage.UsagePage, kMouseConfigUsage.Usage);
  out << "Usage: qorcfg51-sim [OPTIONS]\n\n"
         "Runs a virtual gaming mouse until it is stopped (Ctrl+C or SIGTERM). qorcfg51 and\n"
         "qorcfg51-ctl find it like a plugged-in mouse and configure its memory; stopping it\n"
         "is an unplug. Each interface is a socket in $QORCFG51_SIM_DIR (default\n"
         "$XDG_RUNTIME_DIR/qorcfg51/sim); the sockets are printed at start.\n\n"
         "Options:\n"
         "  --model TEXT           model number the mouse reports, at most 16 characters\n"
         "                         (default "
      << kDefaultModel
      << "; with --memory-file, the one kept there)\n"
         "  --hardware-id ID       a hardware ID in the Windows form; repeat it for several,\n"
         "                         most specific first (default:";
  for (const std::string& id : ids) out << "\n                           " << id;
  out << ")\n"
         "  --usage-page N         usage page of the collection (default 0xFFA0)\n"
         "  --usage N              usage of the collection (default 0x0001)\n"
         "  --feature-length N     declared feature report length in bytes, report ID\n"
         "                         included (default 4096); longer reports are refused\n"
         "  --report-descriptor PATH\n"
         "                         declares the bytes of PATH as the report descriptor\n"
         "                         instead of the one made from the options above (to try\n"
         "                         hosts with a damaged or odd one)\n"
         "  --interfaces N         number of matching interfaces, each with its own socket\n"
         "                         and memory (1 to 16, default 1)\n"
         "  --memory-file PATH     keeps the memory in PATH (PATH.2, PATH.3, ... for further\n"
         "                         interfaces): loaded when present, rewritten after every\n"
         "                         write\n"
         "  --log PATH             appends one line per feature report to PATH (PATH.2, ...\n"
         "                         for further interfaces): SET <hex> for a report the host\n"
         "                         sent, GET <hex> for an answer it read, ERR ... for a\n"
         "                         refused one\n"
         "  --fail-after N         feature exchange N and every later one fail (EIO)\n"
         "  --unplug-after N       the mouse disappears before feature exchange N\n"
         "  --latency-ms N         waits N ms before every answer\n"
         "  --short-answers N      answers every feature report read N bytes short (a faulty\n"
         "                         device; 1 to 4095)\n"
         "  --open-delay-ms N      a host's first use of each new connection waits until N ms\n"
         "                         after it connected, as a USB HID driver's first open does\n"
         "  --uhid                 makes each interface a kernel HID device through /dev/uhid\n"
         "                         (write access needed, normally root) instead of a socket:\n"
         "                         the kernel gives it a hidraw node as for a plugged-in\n"
         "                         mouse; --hardware-id and --open-delay-ms do not apply\n"
         "  -h, --help             shows this text\n"
         "  --version              shows the version\n\n"
         "An option's value follows it (--model X) or is joined to it (--model=X). Numbers\n"
         "are decimal or 0x hexadecimal. Exit status: 0 stopped or unplugged,\n"
         "1 failed (the reason is on stderr), 2 usage error.\n";
}

std::optional<unsigned long> parseNumber(const std::string& text, unsigned long max) {
  const bool hexadecimal = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* first = text.data() + (hexadecimal ? 2 : 0);
  const char* last = text.data() + text.size();
  unsigned long v = 0;
  auto [end, ec] = std::from_chars(first, last, v, hexadecimal ? 16 : 10);
  if (ec != std::errc() || end != last || first == last || v > max) return std::nullopt;
  return v;
}

// Fills `o` from the arguments (--opt=value already split); an error text for a usage error.
std::optional<std::string> parseArguments(const std::vector<std::string>& args, SimOptions& o,
                                          bool& help, bool& version) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--help" || name == "-h" || name == "--version") {
      (name == "--version" ? version : help) = true;
      return std::nullopt;
    }
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    auto number = [&](unsigned long min, unsigned long max,
                      unsigned long& out) -> std::optional<std::string> {
      auto text = value();
      if (!text) return name + " needs a number";
      auto v = parseNumber(*text, max);
      if (!v || *v < min)
        return name + " takes a number from " + std::to_string(min) + " to " + std::to_string(max) +
               ", not \"" + *text + "\"";
      out = *v;
      return std::nullopt;
    };
    unsigned long n = 0;
    std::optional<std::string> problem;
    if (name == "--model") {
      auto text = value();
      if (!text) return "--model needs a text";
      if (text->size() > kModelNumberSize)
        return "--model takes at most 16 characters, not " + std::to_string(text->size());
      o.model = *text;
    } else if (name == "--hardware-id") {
      auto text = value();
      if (!text || text->empty()) return "--hardware-id needs an ID such as HID\\VID_1209&PID_0001";
      o.interface.hardwareIds.push_back(*text);
    } else if (name == "--usage-page") {
      if (!(problem = number(0, 0xFFFF, n))) o.interface.usagePage = uint16_t(n);
    } else if (name == "--usage") {
      if (!(problem = number(0, 0xFFFF, n))) o.interface.usage = uint16_t(n);
    } else if (name == "--feature-length") {
      if (!(problem = number(1, kMaxReportSize, n))) o.interface.featureLength = uint32_t(n);
    } else if (name == "--interfaces") {
      if (!(problem = number(1, 16, n))) o.interfaces = int(n);
    } else if (name == "--memory-file" || name == "--log") {
      auto text = value();
      if (!text || text->empty()) return name + " needs a file name";
      (name == "--log" ? o.logFile : o.memoryFile) = *text;
    } else if (name == "--fail-after") {
      if (!(problem = number(1, 1u << 31, n))) o.failAfter = unsigned(n);
    } else if (name == "--unplug-after") {
      if (!(problem = number(1, 1u << 31, n))) o.unplugAfter = unsigned(n);
    } else if (name == "--latency-ms") {
      if (!(problem = number(0, 60000, n))) o.latencyMs = unsigned(n);
    } else if (name == "--open-delay-ms") {
      if (!(problem = number(0, 60000, n))) o.openDelayMs = unsigned(n);
    } else if (name == "--report-descriptor") {
      auto text = value();
      if (!text || text->empty()) return name + " needs a file name";
      std::vector<uint8_t> bytes;
      if (auto bad = readWholeFile(*text, bytes, kMaxDescriptorFileSize)) return *bad;
      o.interface.reportDescriptor = std::move(bytes);
    } else if (name == "--short-answers") {
      if (!(problem = number(1, 4095, n))) o.shortAnswers = unsigned(n);
    } else if (name == "--uhid") {
      o.uhid = true;
    } else {
      return "unknown option \"" + args[i] + "\"";
    }
    if (problem) return problem;
  }
  // The kernel makes a uhid device's hardware IDs and opens it.
  if (o.uhid && (!o.interface.hardwareIds.empty() || o.openDelayMs))
    return "--uhid takes neither --hardware-id nor --open-delay-ms";
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  ReportOversizedWrites();
  SimOptions options;
  bool help = false, version = false;
  if (auto problem = parseArguments(SplitOptionValues(argc, argv), options, help, version)) {
    std::cerr << "qorcfg51-sim: " << *problem << "\nSee qorcfg51-sim --help\n";
    return kExitUsage;
  }
  if (version) {
    std::cout << VersionLine("qorcfg51-sim") << "\n";
    return kExitOk;
  }
  if (help) {
    printUsage(std::cout);
    return kExitOk;
  }
  std::string noFolder;
  options.directory = SimulatorDirectory(&noFolder);
  if (options.directory.empty()) {
    std::cerr << "qorcfg51-sim: no private folder for the sockets: " << noFolder << "\n";
    return kExitFailed;
  }

  // The stop signals arrive through a descriptor the server polls, so the sockets are always
  // removed on the way out.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stopSignals, s);
  if (sigprocmask(SIG_BLOCK, &stopSignals, nullptr) != 0) {
    std::cerr << "qorcfg51-sim: sigprocmask: " << std::strerror(errno) << "\n";
    return kExitFailed;
  }
  UniqueFd stopFd(signalfd(-1, &stopSignals, SFD_CLOEXEC));
  if (!stopFd) {
    std::cerr << "qorcfg51-sim: signalfd: " << std::strerror(errno) << "\n";
    return kExitFailed;
  }

  if (options.uhid) return RunUhidMouse(options, stopFd.get());

  std::string error;
  auto server = SimServer::Start(
      options, [](const std::string& p) { std::cerr << "qorcfg51-sim: " << p << std::endl; },
      error);
  if (!server) {
    std::cerr << "qorcfg51-sim: " << error << "\n";
    return kExitFailed;
  }
  int n = 0;
  for (const auto& socket : server->socketPaths())
    std::cout << "qorcfg51-sim: interface " << ++n << " at " << socket.string() << "\n";
  std::cout << std::flush;

  std::string why;
  switch (server->run(stopFd.get(), why)) {
    case SimServer::End::Stopped:
      std::cout << "qorcfg51-sim: stopped" << std::endl;
      return kExitOk;
    case SimServer::End::Unplugged:
      std::cout << "qorcfg51-sim: unplugged before feature exchange " << options.unplugAfter
                << std::endl;
      return kExitOk;
    case SimServer::End::Failed:
      break;
  }
  std::cerr << "qorcfg51-sim: " << why << "\n";
  return kExitFailed;
}
