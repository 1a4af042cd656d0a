// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl apply against a virtual mouse that fails or goes away at every exchange.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/ctl_installation.h"
#include "test_support/sim_process.h"

namespace qor {
namespace {

using test::CtlRun;
using test::Installation;

constexpr const char* kStopped =
    "The mouse stopped answering during Apply. Your settings are saved; reconnect the mouse and "
    "press Apply again.";

std::vector<std::string> logLines(const std::filesystem::path& log) {
  std::vector<std::string> lines;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int exchanges(const std::vector<std::string>& lines) {
  int n = 0;
  for (const std::string& l : lines) n += l.rfind("SET ", 0) == 0 || l.rfind("GET ", 0) == 0;
  return n;
}

// One Apply of the factory profile: command 6, two block reads (two exchanges each), the
// button table, macro slot 5, LED and CPI blocks, three bytes, commands 6 and 1.
constexpr int kApplyExchanges = 14;

TEST(CtlApplyFaults, EveryExchangeThatFailsEndsApplyWithTheDistinctResult) {
  {
    Installation plain;
    const auto log = plain / "sim.log";
    test::SimProcess sim(plain.simulatorFolder(), {"--log", log.string()});
    ASSERT_EQ(plain.ctl("apply").status, 0);
    ASSERT_EQ(exchanges(logLines(log)), kApplyExchanges);
  }
  for (const char* fault : {"--fail-after", "--unplug-after"}) {
    for (int n = 1; n <= kApplyExchanges; ++n) {
      const std::string what = std::string(fault) + " " + std::to_string(n);
      Installation home;
      ASSERT_EQ(home.ctl("set rate 250").status, 0) << what;
      const auto log = home / "sim.log";
      test::SimProcess sim(home.simulatorFolder(),
                           {"--log", log.string(), fault, std::to_string(n)});
      CtlRun r = home.ctl("apply");
      EXPECT_EQ(r.status, 4) << what << "\n" << r.err << r.out;
      EXPECT_NE(r.err.find(kStopped), std::string::npos) << what << "\n" << r.err;
      EXPECT_EQ(r.out.find("applied"), std::string::npos) << what;
      EXPECT_EQ(test::u16At(test::readBytes(home.slotFile(1)), 72546), 250) << what;
      const std::vector<std::string> lines = logLines(log);
      if (std::string(fault) == "--unplug-after") {
        // Gone before exchange n: it saw exactly the ones before.
        EXPECT_EQ(exchanges(lines), n - 1) << what;
      } else {
        // Nothing is sent after a failed write: the log ends with the refusal, and the
        // exchanges that reached the mouse are the n - 1 before it.
        ASSERT_FALSE(lines.empty()) << what;
        EXPECT_EQ(lines.back().rfind("ERR exchange", 0), 0u) << what << ": " << lines.back();
        int refused = 0;
        for (const std::string& l : lines) refused += l.rfind("ERR exchange", 0) == 0;
        // A failed read of the current level is allowed (it counts as level 0); the write
        // after it is the last thing sent.
        EXPECT_LE(refused, 2) << what;
      }
    }
  }
}

TEST(CtlApplyFaults, VerifyReadsEveryWrittenBlockBack) {
  Installation home;
  const auto log = home / "sim.log";
  test::SimProcess sim(home.simulatorFolder(), {"--log", log.string()});
  ASSERT_EQ(home.ctl("set rate 125").status, 0);
  CtlRun r = home.ctl("apply --verify");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("verified"), std::string::npos) << r.out;
  // Button table, macro slot 5, LED and CPI blocks, and the three bytes: seven reads.
  EXPECT_EQ(exchanges(logLines(log)), kApplyExchanges + 7 * 2);
  EXPECT_EQ(home.ctl("apply --frobnicate").status, 2);
}

}  // namespace
}  // namespace qor
