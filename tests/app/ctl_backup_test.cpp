// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl backup and restore against virtual mice.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>

#include "app/ctl_installation.h"
#include "test_support/sim_log.h"
#include "test_support/sim_process.h"

namespace qor {
namespace {

using test::Bytes;
using test::CtlRun;
using test::Installation;

// A memory no factory or upload would leave: byte i is 7i+3, the model MODAL001 at 0.
Bytes patternMemory() {
  Bytes m(2408);
  for (std::size_t i = 0; i < m.size(); ++i) m[i] = uint8_t(i * 7 + 3);
  const std::string model = "MODAL001";
  std::fill(m.begin(), m.begin() + 16, 0);
  std::copy(model.begin(), model.end(), m.begin());
  return m;
}

void writeBytes(const std::filesystem::path& file, const Bytes& b) {
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}

int64_t i64At(const Bytes& b, std::size_t off) {
  return int64_t(uint32_t(test::i32At(b, off))) | int64_t(test::i32At(b, off + 4)) << 32;
}

// A backup of a mouse holding patternMemory(), in home / "b".
void backUpThePattern(const Installation& home) {
  const auto saved = home / "saved.bin";
  writeBytes(saved, patternMemory());
  test::SimProcess sim(home.simulatorFolder(), {"--memory-file", saved.string()});
  ASSERT_EQ(home.ctl("backup '" + (home / "b").string() + "'").status, 0);
}

TEST(CtlBackup, SavesTheWholeMemoryWithItsHeader) {
  Installation home;
  const auto memory = home / "memory.bin";
  writeBytes(memory, patternMemory());
  test::SimProcess sim(home.simulatorFolder(), {"--memory-file", memory.string()});
  const int64_t before = std::time(nullptr);
  const CtlRun r = home.ctl("backup '" + (home / "mouse.qorbak").string() + "'");
  const int64_t after = std::time(nullptr);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("memory of MODAL001 (2408 bytes) saved"), std::string::npos) << r.out;

  const Bytes file = test::readBytes(home / "mouse.qorbak");
  ASSERT_EQ(file.size(), 48u + 2408u);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 32),
            (Bytes{'Q', 'O', 'R', '5', '1', 'M', 'E', 'M', 1, 0, 0, 0, 0x68, 0x09, 0, 0,
                   'M', 'O', 'D', 'A', 'L', '0', '0', '1', 0, 0, 0, 0, 0,    0,    0, 0}));
  EXPECT_GE(i64At(file, 32), before);
  EXPECT_LE(i64At(file, 32), after);
  // CRC-32 of the pattern, computed apart from this program.
  EXPECT_EQ(Bytes(file.begin() + 40, file.begin() + 48),
            (Bytes{0xb9, 0xdf, 0xa5, 0x69, 0, 0, 0, 0}));
  EXPECT_EQ(Bytes(file.begin() + 48, file.end()), patternMemory());
}

TEST(CtlBackup, RestoreWritesItBackByteForByteAndVerifies) {
  Installation home;
  ASSERT_NO_FATAL_FAILURE(backUpThePattern(home));
  // Another mouse of the same model, as it left the factory.
  const auto memory = home / "memory.bin";
  const auto log = home / "sim.log";
  test::SimProcess sim(home.simulatorFolder(),
                       {"--memory-file", memory.string(), "--log", log.string()});
  const CtlRun r = home.ctl("restore '" + (home / "b").string() + "' --verify");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("verified: the mouse holds the backup"), std::string::npos) << r.out;
  EXPECT_EQ(test::readBytes(memory), patternMemory());
  EXPECT_EQ(test::SentCommands(log),
            (std::vector<std::string>{"read 0 16", "cmd6 0 0", "write 0 1016", "write 1016 1016",
                                      "write 2032 376", "cmd6 1 0", "cmd1 1 0", "read 0 1016",
                                      "read 1016 1016", "read 2032 376"}));
}

// A restore cut short says so, and how to finish it: not Apply's text, since Apply would
// upload the stored profile instead of the backup.
TEST(CtlBackup, ARestoreCutShortSaysTheMemoryMayBeHalfWritten) {
  Installation home;
  ASSERT_NO_FATAL_FAILURE(backUpThePattern(home));
  test::SimProcess sim(home.simulatorFolder(), {"--fail-after", "3"});  // at the first write
  const CtlRun r = home.ctl("restore '" + (home / "b").string() + "'");
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("its memory may be half written"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("run qorcfg51-ctl restore " + (home / "b").string() + " again"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("Apply"), std::string::npos) << r.err;
}

TEST(CtlBackup, RestoreRefusesFilesThatAreNoBackupOfThisMouse) {
  Installation home;
  const auto saved = home / "saved.bin";
  writeBytes(saved, patternMemory());
  {
    test::SimProcess sim(home.simulatorFolder(), {"--memory-file", saved.string()});
    ASSERT_EQ(home.ctl("backup '" + (home / "good").string() + "'").status, 0);
  }
  const Bytes good = test::readBytes(home / "good");
  struct Case {
    const char* name;
    Bytes file;
    const char* model;  // of the connected mouse
    const char* says;
  };
  Bytes cut(good.begin(), good.end() - 1);
  Bytes longer = good;
  longer.push_back(0);
  Bytes otherLength = good;
  test::put32(otherLength, 12, 2407);
  Bytes damaged = good;
  damaged[48 + 500] ^= 1;
  Bytes notOurs = good;
  notOurs[0] = 'X';
  Bytes headerModel = good;
  headerModel[16 + 7] = '3';
  const Case cases[] = {
      {"another model", good, "MODAL003", "is a backup of model \"MODAL001\""},
      {"cut", cut, "MODAL001", "cut or extended"},
      {"extended", longer, "MODAL001", "cut or extended"},
      {"another length", otherLength, "MODAL001", "holds 2407 bytes"},
      {"damaged", damaged, "MODAL001", "checksum differs"},
      {"another format", notOurs, "MODAL001", "not a backup"},
      {"header and memory disagree", headerModel, "MODAL001", "model number differs"},
      {"empty", Bytes{}, "MODAL001", "not a backup"},
  };
  for (const Case& c : cases) {
    writeBytes(home / "file", c.file);
    const auto memory = home / "memory.bin";
    std::filesystem::remove(memory);
    const auto log = home / "sim.log";
    test::SimProcess sim(home.simulatorFolder(), {"--model", c.model, "--memory-file",
                                                  memory.string(), "--log", log.string()});
    const Bytes factory = test::readBytes(memory);
    const CtlRun r = home.ctl("restore '" + (home / "file").string() + "'");
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find("nothing was written"), std::string::npos) << c.name << ": " << r.err;
    for (const std::string& sent : test::SentCommands(log))
      EXPECT_EQ(sent.rfind("read", 0), 0u) << c.name << ": " << sent;
    EXPECT_EQ(test::readBytes(memory), factory) << c.name;
  }
}

TEST(CtlBackup, WithoutAMouseNothingIsWritten) {
  Installation home;
  CtlRun r = home.ctl("backup '" + (home / "b").string() + "'");
  EXPECT_EQ(r.status, 3);
  EXPECT_FALSE(std::filesystem::exists(home / "b"));
  EXPECT_EQ(home.ctl("restore").status, 2);
  EXPECT_EQ(home.ctl("restore a b").status, 2);
}

}  // namespace
}  // namespace qor
