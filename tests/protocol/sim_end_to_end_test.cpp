// SPDX-License-Identifier: GPL-2.0-or-later
// The device commands through qorcfg51-sim processes and the socket backend.
#include <gtest/gtest.h>

#include <fstream>

#include "device/hid_data.h"
#include "platform/linux/sim_hid_backend.h"
#include "protocol/device_commands.h"
#include "test_support/bytes.h"
#include "test_support/sim_process.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::SimProcess;

std::vector<std::string> lines(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> all;
  for (std::string line; std::getline(in, line);) all.push_back(line);
  return all;
}

class SimEndToEnd : public testing::Test {
 protected:
  fs::path sockets() const { return dir / "sim"; }
  std::string file(const std::string& name) const { return (dir / name).string(); }

  test::TempDir dir;
  std::unique_ptr<HidBackend> backend = MakeSimulatorHidBackend(dir / "sim");
  // The include list as config.ini ships it.
  TuiHIDData hid{*backend, {"HID\\VID_" QOR_SIM_VID "&PID_" QOR_SIM_PID}};
};

TEST_F(SimEndToEnd, BlocksTravelAsFeatureReports) {
  SimProcess sim(sockets(), {"--log", file("log")});
  std::array<uint8_t, 16> model{};
  ASSERT_EQ(ReadModelNumber(hid, model), std::error_code());
  EXPECT_EQ(Bytes(model.begin(), model.end()),
            (Bytes{'M', 'O', 'D', 'A', 'L', '0', '0', '1', 0, 0, 0, 0, 0, 0, 0, 0}));

  CPIBlock cpi{};
  cpi[0] = 1;
  cpi[1] = 0;
  cpi[2] = 1;
  cpi[3] = 14;
  cpi[4] = 14;
  WriteCPIBlock(hid, cpi, kCPIBlockAddress);
  int32_t index = -1;
  ASSERT_EQ(ReadCurrentCPIIndex(hid, index), std::error_code());
  EXPECT_EQ(index, 0);

  const auto logged = lines(dir / "log");
  ASSERT_EQ(logged.size(), 7u);
  EXPECT_EQ(logged[0], "SET 020300001000fafa0000000000000000");
  EXPECT_EQ(logged[1], "GET 030300001000fafa4d4f44414c303031" + std::string(96, '0'));
  // 32 bytes at 72 (0x48) in a 64-byte report with ID 3.
  EXPECT_EQ(logged[2], "SET 030248002000fafa0100010e0e" + std::string(2 * 51, '0'));
  EXPECT_EQ(logged[3], "SET 020340000100fafa0000000000000000");  // bank selector
  EXPECT_EQ(logged[4], "GET 020340000100fafa0000000000000000");  // 0: the first bank
  EXPECT_EQ(logged[5], "SET 020348002000fafa0000000000000000");  // its CPI block
  EXPECT_EQ(logged[6].substr(0, 30), "GET 030348002000fafa0100010e0e");
}

TEST_F(SimEndToEnd, TwoInterfacesGetEveryWriteAndTheSecondAnswers) {
  // The second interface's memory names another model.
  Bytes second(2408, 0);
  const std::string name = "SECOND";
  std::copy(name.begin(), name.end(), second.begin());
  test::writeBytes(dir / "mem.2", second);

  SimProcess sim(sockets(), {"--interfaces", "2", "--memory-file", file("mem")}, 2);
  EXPECT_EQ(backend->enumerate().size(), 2u);
  WriteDeviceByte(hid, WheelLEDByte(10, true), kWheelLEDAddress);
  EXPECT_EQ(test::readBytes(dir / "mem").at(62), 0x8A);
  EXPECT_EQ(test::readBytes(dir / "mem.2").at(62), 0x8A);

  std::array<uint8_t, 16> model{};
  ASSERT_EQ(ReadModelNumber(hid, model), std::error_code());
  EXPECT_EQ(std::string(model.begin(), model.begin() + 7), std::string("SECOND") + '\0');
}

TEST_F(SimEndToEnd, AnswerThatFailsLeavesTheBufferUnchanged) {
  SimProcess sim(sockets(), {"--fail-after", "2", "--log", file("log")});
  std::array<uint8_t, 16> model;
  model.fill(0xAB);
  const auto before = model;
  EXPECT_EQ(ReadModelNumber(hid, model), std::errc::io_error);  // request taken, answer failed
  EXPECT_EQ(model, before);
  const auto logged = lines(dir / "log");
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[0].substr(0, 4), "SET ");
  EXPECT_EQ(logged[1].substr(0, 4), "ERR ");
}

TEST_F(SimEndToEnd, CPIBlockThatFailsAfterTheBankSelectorLeavesTheLevel) {
  SimProcess sim(sockets(), {"--fail-after", "3"});
  int32_t index = 5;
  EXPECT_EQ(ReadCurrentCPIIndex(hid, index), std::errc::io_error);
  EXPECT_EQ(index, 5);
}

TEST_F(SimEndToEnd, UnplugInTheMiddleOfAQuery) {
  SimProcess sim(sockets(), {"--unplug-after", "2"});
  std::array<uint8_t, 16> model;
  model.fill(0xAB);
  const auto before = model;
  EXPECT_EQ(ReadModelNumber(hid, model), std::errc::no_such_device);
  EXPECT_EQ(model, before);
  EXPECT_EQ(sim.wait(), 0);
  EXPECT_TRUE(fs::is_empty(sockets()));
  THIDDataParam presence;
  presence.UsageAndPage = kMouseConfigUsage;
  EXPECT_FALSE(hid.IsDeviceExist(presence));
}

}  // namespace
}  // namespace qor
