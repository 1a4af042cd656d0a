// SPDX-License-Identifier: GPL-2.0-or-later
// The uhid device's side of the conversation, with the test as the kernel at the other end
// of a SOCK_SEQPACKET socket pair (one message per write and read, as /dev/uhid).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "sim/sim_interface.h"
#include "sim/uhid_server.h"
#include "test_support/bytes.h"
#include "test_support/temp_dir.h"

namespace qor::sim {
namespace {

using test::Bytes;
using test::padded;

Bytes setReport(uint32_t id, uint8_t rtype, const Bytes& report) {
  Bytes m = {13, 0, 0, 0, 0, 0, 0, 0, report.empty() ? uint8_t(0) : report[0], rtype, 0, 0};
  test::put32(m, 4, id);
  test::put16(m, 10, uint16_t(report.size()));
  m.insert(m.end(), report.begin(), report.end());
  return m;
}

Bytes getReport(uint32_t id, uint8_t rnum, uint8_t rtype) {
  Bytes m = {9, 0, 0, 0, 0, 0, 0, 0, rnum, rtype};
  test::put32(m, 4, id);
  return m;
}

// The kernel's end, and the server running on its own thread.
class UhidServerTest : public ::testing::Test {
 protected:
  void start(SimOptions options) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair), 0);
    kernel_.reset(pair[0]);
    std::vector<UniqueFd> channels;
    channels.emplace_back(pair[1]);
    int stop[2];
    ASSERT_EQ(::pipe2(stop, O_CLOEXEC), 0);
    stopRead_.reset(stop[0]);
    stopWrite_.reset(stop[1]);
    std::string error;
    server_ = UhidServer::Start(
        options, std::move(channels), [this](const std::string& p) { problems_ += p + "\n"; },
        error);
    ASSERT_TRUE(server_) << error;
    create_ = next();
    thread_ = std::thread([this] { end_ = server_->run(stopRead_.get(), why_); });
  }
  void TearDown() override {
    if (thread_.joinable()) stop();
  }
  UhidServer::End stop() {
    EXPECT_EQ(::write(stopWrite_.get(), "x", 1), 1);
    thread_.join();
    return end_;
  }
  // Joins the server after it ended on its own, destroys it and gives the last message.
  Bytes destroyed() {
    thread_.join();
    server_.reset();
    return next();
  }
  void send(const Bytes& m) {
    ASSERT_EQ(::write(kernel_.get(), m.data(), m.size()), ssize_t(m.size()));
  }
  // The next message from the device; empty when none comes (a guard, not a timing check).
  Bytes next() {
    pollfd p{kernel_.get(), POLLIN, 0};
    if (::poll(&p, 1, 20000) != 1) return {};
    Bytes m(8192);
    const ssize_t n = ::read(kernel_.get(), m.data(), m.size());
    m.resize(n > 0 ? std::size_t(n) : 0);
    return m;
  }

  test::TempDir dir_;
  UniqueFd kernel_, stopRead_, stopWrite_;
  std::unique_ptr<UhidServer> server_;
  std::thread thread_;
  UhidServer::End end_ = UhidServer::End::Failed;
  std::string why_, problems_;
  Bytes create_;
};

TEST_F(UhidServerTest, CreatesTheDeviceAndAnswersFeatureReportsFromTheFirmware) {
  SimOptions options;
  options.memoryFile = dir_ / "memory";
  start(options);
  ASSERT_GE(create_.size(), 280u);
  EXPECT_EQ(test::i32At(create_, 0), 11);   // UHID_CREATE2
  EXPECT_EQ(test::u16At(create_, 262), 3);  // BUS_USB
  EXPECT_EQ(test::i32At(create_, 264), std::stoi(QOR_SIM_VID, nullptr, 16));
  EXPECT_EQ(test::i32At(create_, 268), std::stoi(QOR_SIM_PID, nullptr, 16));
  EXPECT_EQ(Bytes(create_.begin() + 280, create_.end()), SimReportDescriptor(0xFFA0, 1, 4096));

  // 9 bytes written at 2177 (report ID 3, 64 bytes), then 10 read back from 2176.
  send(setReport(41, 0,
                 padded(64, {3, 2, 0x81, 0x08, 9, 0, 0xFA, 0xFA, 1, 2, 3, 4, 5, 6, 7, 8, 9})));
  EXPECT_EQ(next(), (Bytes{14, 0, 0, 0, 41, 0, 0, 0, 0, 0}));
  const Bytes memory = test::readBytes(dir_ / "memory");
  ASSERT_EQ(memory.size(), 2408u);
  EXPECT_EQ(Bytes(memory.begin() + 2176, memory.begin() + 2187),
            (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));

  send(setReport(42, 0, padded(16, {2, 3, 0x80, 0x08, 10, 0, 0xFA, 0xFA})));
  EXPECT_EQ(next(), (Bytes{14, 0, 0, 0, 42, 0, 0, 0, 0, 0}));
  // The kernel does not say how long: the answer is as long as report ID 3.
  send(getReport(43, 3, 0));
  Bytes expected = {10, 0, 0, 0, 43, 0, 0, 0, 0, 0, 64, 0};
  const Bytes report =
      padded(64, {3, 3, 0x80, 0x08, 10, 0, 0xFA, 0xFA, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  expected.insert(expected.end(), report.begin(), report.end());
  EXPECT_EQ(next(), expected);

  EXPECT_EQ(stop(), UhidServer::End::Stopped);
  server_.reset();
  EXPECT_EQ(next(), (Bytes{1, 0, 0, 0}));  // UHID_DESTROY
}

TEST_F(UhidServerTest, RefusedReportsAreFailedRepliesAndOutputIsLogged) {
  SimOptions options;
  options.failAfter = 3;
  start(options);
  send(Bytes{2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});  // UHID_START: no answer
  // An input report, a report ID the mouse does not have, then the injected failure.
  send(getReport(1, 3, 2));
  EXPECT_EQ(next(), (Bytes{10, 0, 0, 0, 1, 0, 0, 0, 32, 0, 0, 0}));  // EPIPE
  send(getReport(2, 9, 0));
  EXPECT_EQ(next(), (Bytes{10, 0, 0, 0, 2, 0, 0, 0, 32, 0, 0, 0}));
  send(setReport(3, 0, padded(16, {2, 6})));
  EXPECT_EQ(next(), (Bytes{14, 0, 0, 0, 3, 0, 0, 0, 5, 0}));  // EIO

  Bytes output(4 + 4096 + 3, 0);
  output[0] = 6;  // UHID_OUTPUT of 2 bytes, then a START to see that nothing answered it
  test::put16(output, 4 + 4096, 2);
  send(output);
  send(getReport(4, 2, 0));
  EXPECT_EQ(next(), (Bytes{10, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0}));
  EXPECT_EQ(stop(), UhidServer::End::Stopped);
  EXPECT_NE(problems_.find("unknown report ID 9"), std::string::npos) << problems_;
  EXPECT_NE(problems_.find("write of 2 bytes"), std::string::npos) << problems_;
  EXPECT_NE(problems_.find("failed as asked"), std::string::npos) << problems_;
}

TEST_F(UhidServerTest, ShortAnswersAreCut) {
  SimOptions options;
  options.shortAnswers = 1;
  start(options);
  send(setReport(1, 0, padded(16, {2, 3, 0, 0, 4, 0, 0xFA, 0xFA})));  // read 4 bytes at 0
  EXPECT_EQ(next(), (Bytes{14, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
  send(getReport(2, 2, 0));
  Bytes expected = {10, 0, 0, 0, 2, 0, 0, 0, 0, 0, 15, 0};
  const Bytes report = {2, 3, 0, 0, 4, 0, 0xFA, 0xFA, 'M', 'O', 'D', 'A', 0, 0, 0};
  expected.insert(expected.end(), report.begin(), report.end());
  EXPECT_EQ(next(), expected);
}

TEST_F(UhidServerTest, UnplugDestroysTheDeviceInsteadOfAnswering) {
  SimOptions options;
  options.unplugAfter = 2;
  start(options);
  send(setReport(1, 0, padded(16, {2, 6})));
  EXPECT_EQ(next(), (Bytes{14, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
  send(getReport(2, 2, 0));
  EXPECT_EQ(destroyed(), (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(end_, UhidServer::End::Unplugged);
}

}  // namespace
}  // namespace qor::sim
