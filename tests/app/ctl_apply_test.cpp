// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl set and apply against a running virtual mouse.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/ctl_installation.h"
#include "test_support/sim_log.h"
#include "test_support/sim_process.h"

namespace qor {
namespace {

using test::Bytes;
using test::CtlRun;
using test::Installation;

using test::SentCommands;

TEST(CtlApply, LeavesTheProfileInTheMouseInOrder) {
  Installation home;
  const auto memory = home / "memory.bin";
  const auto log = home / "sim.log";
  test::SimProcess sim(home.simulatorFolder(),
                       {"--memory-file", memory.string(), "--log", log.string()});
  for (const char* args : {"set button 3 copy", "set rate 1000", "set led 0 128 255",
                           "set cpi 2 1200 800", "set button 4 combo:ctrl+alt+f5"}) {
    CtlRun r = home.ctl(args);
    ASSERT_EQ(r.status, 0) << args << "\n" << r.err;
  }
  CtlRun r = home.ctl("apply --verbose");
  ASSERT_EQ(r.status, 0) << r.err << r.out;
  EXPECT_NE(r.out.find("applied to the mouse"), std::string::npos);

  const Bytes m = test::readBytes(memory);
  ASSERT_EQ(m.size(), 2408u);
  // Buttons 3 and 4 (entries 2 and 3) land in device slots 2 and 4: the device exchanges
  // entries 3 and 4.
  EXPECT_EQ(Bytes(m.begin() + 144, m.begin() + 165),
            (Bytes{9, 1, 0, 0, 0, 2, 0, 0, 0, 15, 1, 6, 0, 4, 0, 0, 0, 15, 5, 62, 0}));
  EXPECT_EQ(Bytes(m.begin() + 2177, m.begin() + 2183), (Bytes{127, 0, 255, 3, 1, 0}));
  EXPECT_EQ(Bytes(m.begin() + 72, m.begin() + 80), (Bytes{4, 1, 1, 2, 2, 1, 5, 5}));
  EXPECT_EQ(m[69], 0x11);
  EXPECT_EQ(m[64], 0);
  EXPECT_EQ(m[62], 0x81);
  EXPECT_EQ(SentCommands(log),
            (std::vector<std::string>{"cmd6 0 0", "read 64 1", "read 72 32", "write 144 81",
                                      "write 1745 384", "write 2177 6", "write 72 32", "write 69 1",
                                      "write 64 1", "write 62 1", "cmd6 1 0", "cmd1 1 0"}));
}

TEST(CtlApply, WithoutAMouseItSavesAndWarns) {
  Installation home;
  ASSERT_EQ(home.ctl("set rate 250").status, 0);
  CtlRun r = home.ctl("apply");
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("no mouse found; the profiles were saved"), std::string::npos) << r.err;
  EXPECT_EQ(test::u16At(test::readBytes(home.slotFile(1)), 72546), 250);
}

TEST(CtlSet, RefusesWhatTheWindowsRefuse) {
  Installation home;
  struct Case {
    const char* args;
    int status;
    const char* says;
  } cases[] = {
      {"set rate 300", 1, "125, 250, 500 or 1000"},
      {"set cpi 5 800", 1, "from 1 to 4"},
      {"set cpi 1 100", 1, "from 250 to 3500"},
      {"set led 0 0 256", 1, "from 0 to 255"},
      {"set wheel-lines 11", 1, "wheel lines"},
      {"set button 2 frobnicate", 1, "not a button function"},
      {"set button 2 combo:ctrl+nokey", 1, "not a key name"},
      {"set button 2 macro:none", 1, "no macro named"},
      {"set button 4 ctrl+c", 1, "for that key combination write combo:ctrl+c"},
      {"set cpi-enabled 2 off", 0, ""},
      {"set cpi-enabled 3 off", 0, ""},
      {"set cpi-enabled 4 off", 0, ""},
      {"set cpi-enabled 1 off", 1, "one always stays on"},
      {"set bogus 1", 2, "not a setting"},
      {"set rate", 2, "takes 1"},
  };
  for (const Case& c : cases) {
    CtlRun r = home.ctl(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << "\n" << r.err;
  }
  auto doc = nlohmann::json::parse(home.ctl("show --json").out);
  EXPECT_EQ(doc["cpi"]["levels"][0], nlohmann::json::parse(R"({"x":500,"y":500,"enabled":true})"));
  EXPECT_EQ(doc["cpi"]["levels"][1],
            nlohmann::json::parse(R"({"x":1000,"y":1000,"enabled":false})"));
  ASSERT_EQ(home.ctl("set wheel-lines page").status, 0);
  ASSERT_EQ(home.ctl("set button 5 fire:3:120").status, 0);
  doc = nlohmann::json::parse(home.ctl("show --json").out);
  EXPECT_EQ(doc["pointer"]["wheelLines"], "page");
  EXPECT_EQ(doc["buttons"][4]["function"], "fire:3:120");
}

}  // namespace
}  // namespace qor
