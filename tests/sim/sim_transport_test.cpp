// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-sim as a process, reached through the socket backend.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "platform/linux/sim_hid_backend.h"
#include "sim/sim_protocol.h"
#include "test_support/bytes.h"
#include "test_support/sim_process.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::padded;
using test::SimProcess;

std::vector<std::string> lines(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> all;
  for (std::string line; std::getline(in, line);) all.push_back(line);
  return all;
}

std::unique_ptr<HidDevice> openOnly(HidBackend& backend) {
  const auto found = backend.enumerate();
  EXPECT_EQ(found.size(), 1u);
  if (found.empty()) return nullptr;
  int error = 0;
  auto device = backend.open(found[0], error);
  EXPECT_TRUE(device) << error;
  return device;
}

TEST(SimTransport, DescribesItselfAndGoesAwayOnStop) {
  test::TempDir dir;
  const fs::path sockets = dir / "sim";
  SimProcess sim(sockets, {"--feature-length", "64"});
  auto backend = MakeSimulatorHidBackend(sockets);
  const auto found = backend->enumerate();
  ASSERT_EQ(found.size(), 1u);
  const HidInterfaceInfo& info = found[0];
  EXPECT_EQ(fs::path(info.path), sim.sockets().at(0));
  EXPECT_EQ(info.hardwareIds,
            (std::vector<std::string>{"HID\\VID_" QOR_SIM_VID "&PID_" QOR_SIM_PID "&REV_0100",
                                      "HID\\VID_" QOR_SIM_VID "&PID_" QOR_SIM_PID,
                                      "HID_DEVICE_UP:FFA0_U:0001", "HID_DEVICE"}));
  EXPECT_EQ(info.usagePage, 0xFFA0);
  EXPECT_EQ(info.usage, 0x0001);
  EXPECT_EQ(info.inputReportByteLength, 0u);
  EXPECT_EQ(info.outputReportByteLength, 0u);
  EXPECT_EQ(info.featureReportByteLength, 64u);
  // Vendor collection with feature reports 2 (15 bytes after the ID) and 3 (63 bytes).
  EXPECT_EQ(info.reportDescriptor,
            (Bytes{0x06, 0xA0, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF,
                   0x00, 0x75, 0x08, 0x85, 0x02, 0x09, 0x02, 0x96, 0x0F, 0x00, 0xB1,
                   0x02, 0x85, 0x03, 0x09, 0x03, 0x96, 0x3F, 0x00, 0xB1, 0x02, 0xC0}));

  int error = 0;
  auto device = backend->open(info, error);
  ASSERT_TRUE(device) << error;
  EXPECT_EQ(sim.stop(), 0);
  EXPECT_TRUE(fs::is_empty(sockets));
  EXPECT_TRUE(backend->enumerate().empty());
  Bytes r = padded(16, {2});
  EXPECT_EQ(device->getFeature(r.data(), r.size()), ENODEV);
}

TEST(SimTransport, DeclaresTheCollectionAndIdsItIsGiven) {
  test::TempDir dir;
  SimProcess a(dir / "sim", {"--usage-page", "0xFF00", "--usage", "258"});
  SimProcess b(dir / "sim", {"--hardware-id", "HID\\VID_ABCD&PID_0002", "--hardware-id", "X"});
  auto found = MakeSimulatorHidBackend(dir / "sim")->enumerate();
  ASSERT_EQ(found.size(), 2u);
  if (fs::path(found[0].path) != a.sockets().at(0)) std::swap(found[0], found[1]);
  EXPECT_EQ(found[0].usagePage, 0xFF00);
  EXPECT_EQ(found[0].usage, 0x0102);
  EXPECT_EQ(found[0].hardwareIds.at(2), "HID_DEVICE_UP:FF00_U:0102");
  EXPECT_EQ(found[0].reportDescriptor.at(3), 0x0A);  // a two-byte usage
  EXPECT_EQ(found[1].hardwareIds, (std::vector<std::string>{"HID\\VID_ABCD&PID_0002", "X"}));
}

TEST(SimTransport, LogsEveryReportAndKeepsItsMemory) {
  test::TempDir dir;
  const fs::path memory = dir / "memory.bin";
  const fs::path log = dir / "reports.log";
  {
    SimProcess sim(dir / "sim", {"--log", log.string(), "--memory-file", memory.string()});
    auto backend = MakeSimulatorHidBackend(dir / "sim");
    auto device = openOnly(*backend);
    ASSERT_TRUE(device);
    // Wheel LED byte 0x8A at 62, then a read of the 16 model bytes.
    Bytes write = padded(16, {2, 2, 62, 0, 1, 0, 0xFA, 0xFA, 0x8A});
    EXPECT_EQ(device->setFeature(write.data(), write.size()), 0);
    EXPECT_EQ(test::readBytes(memory).at(62), 0x8A);
    Bytes read = padded(16, {2, 3, 0, 0, 16, 0, 0xFA, 0xFA});
    EXPECT_EQ(device->setFeature(read.data(), read.size()), 0);
    Bytes answer = padded(64, {3});
    EXPECT_EQ(device->getFeature(answer.data(), answer.size()), 0);
    EXPECT_EQ(answer,
              padded(64, {3, 3, 0, 0, 16, 0, 0xFA, 0xFA, 'M', 'O', 'D', 'A', 'L', '0', '0', '1'}));
    Bytes wrongLength = padded(16, {3, 2, 62, 0, 1, 0, 0xFA, 0xFA, 0});
    EXPECT_EQ(device->setFeature(wrongLength.data(), wrongLength.size()), EPIPE);
    EXPECT_EQ(device->write(write.data(), write.size()), EPIPE);
    std::size_t got = 99;
    EXPECT_EQ(device->read(answer.data(), answer.size(), 10, got), 0);
    EXPECT_EQ(got, 0u);
  }
  const std::vector<std::string> logged = lines(log);
  ASSERT_EQ(logged.size(), 6u);
  EXPECT_EQ(logged[0], "SET 02023e000100fafa8a00000000000000");
  EXPECT_EQ(logged[1], "SET 020300001000fafa0000000000000000");
  EXPECT_EQ(logged[2], "GET 030300001000fafa4d4f44414c303031" + std::string(2 * 48, '0'));
  EXPECT_EQ(logged[3], "SET 03023e000100fafa0000000000000000");
  EXPECT_EQ(logged[4].rfind("ERR ", 0), 0u) << logged[4];
  EXPECT_EQ(logged[5].rfind("ERR ", 0), 0u) << logged[5];

  // The next start loads the kept memory; --model replaces only the model number.
  SimProcess again(dir / "sim", {"--memory-file", memory.string(), "--model", "MODAL002"});
  const Bytes kept = test::readBytes(memory);
  ASSERT_EQ(kept.size(), 2408u);
  EXPECT_EQ(std::string(kept.begin(), kept.begin() + 9), std::string("MODAL002") + '\0');
  EXPECT_EQ(kept.at(62), 0x8A);
  EXPECT_EQ(kept.at(72), 4);  // the CPI block stays
}

TEST(SimTransport, SocketOfADeadSimulatorIsRemoved) {
  test::TempDir dir;
  const fs::path sockets = dir / "sim";
  SimProcess sim(sockets, {});
  // A socket file nobody listens on any more, as a killed simulator leaves it.
  const fs::path stale = sockets / "1-01.sock";
  {
    UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET, 0));
    sockaddr_un address;
    ASSERT_TRUE(sim::SocketAddress(stale, address));
    ASSERT_EQ(::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  }
  ASSERT_TRUE(fs::exists(stale));
  const auto found = MakeSimulatorHidBackend(sockets)->enumerate();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(fs::path(found[0].path), sim.sockets().at(0));
  EXPECT_FALSE(fs::exists(stale));
}

TEST(SimTransport, RefusesBadOptions) {
  test::TempDir dir;
  const std::string run = "QORCFG51_SIM_DIR='" + (dir / "sim").string() + "' " QOR_SIM_PATH " ";
  auto status = [&](const std::string& args) {
    const int raw = std::system((run + args + " >/dev/null 2>&1").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(status("--help"), 0);
  for (const char* bad : {"--bogus", "--interfaces 0", "--interfaces 17", "--usage 0x10000",
                          "--model 12345678901234567", "--latency-ms", "--fail-after x"})
    EXPECT_EQ(status(bad), 2) << bad;
  test::writeBytes(dir / "short.bin", Bytes(100, 0));
  EXPECT_EQ(status("--memory-file " + (dir / "short.bin").string()), 1);
  EXPECT_EQ(test::readBytes(dir / "short.bin"), Bytes(100, 0));
}

}  // namespace
}  // namespace qor
