// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/hid_data.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <thread>

#include "device/fake_hid_backend.h"
#include "device/sample_descriptors.h"
#include "platform/exchange_lock.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using test::Bytes;
using test::FakeHidBackend;
using test::FakeInterface;

const std::string kSimId = "HID\\VID_1209&PID_0001";

FakeInterface configInterface(const std::string& path, std::vector<std::string> hardwareIds,
                              uint32_t featureLength = 4096) {
  FakeInterface f;
  f.info.path = path;
  f.info.hardwareIds = std::move(hardwareIds);
  f.info.usagePage = 0xFFA0;
  f.info.usage = 0x0001;
  f.info.featureReportByteLength = featureLength;
  f.info.outputReportByteLength = 9;
  return f;
}

// A feature report of `size` bytes with ID `id` and data bytes 0xA0, 0xA1, ... after it.
std::unique_ptr<THIDDataParam> request(uint8_t id, uint32_t size, std::string deviceId = "") {
  auto r = std::make_unique<THIDDataParam>();
  r->UsageAndPage = kMouseConfigUsage;
  r->DeviceID = std::move(deviceId);
  r->Data.ReportID = id;
  for (uint32_t i = 0; i + 1 < size && i < 16; ++i) r->Data.DATAReally[i] = uint8_t(0xA0 + i);
  r->Data.DATASIZE = size;
  return r;
}

struct AllowCase {
  const char* name;
  std::vector<std::string> include;
  std::string deviceId;
  std::vector<std::string> hardwareIds;
  bool acted;
};

class AllowRules : public testing::TestWithParam<AllowCase> {};

TEST_P(AllowRules, DecideWhichInterfaceReceivesTheReport) {
  const AllowCase& c = GetParam();
  FakeHidBackend backend;
  backend.interfaces.push_back(configInterface("/dev/hidraw0", c.hardwareIds));
  TuiHIDData hid(backend, c.include);
  auto r = request(2, 16, c.deviceId);
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*r),
            c.acted ? std::error_code() : std::make_error_code(std::errc::no_such_device));
  EXPECT_EQ(backend.featuresSent.size(), c.acted ? 1u : 0u);
  EXPECT_EQ(hid.IsDeviceExist(*r), c.acted);
}

const std::vector<std::string> kSimIds = {"HID\\VID_1209&PID_0001&REV_0100",
                                          "HID\\VID_1209&PID_0001", "HID_DEVICE_UP:FFA0_U:0001",
                                          "HID_DEVICE"};

INSTANTIATE_TEST_SUITE_P(
    HidData, AllowRules,
    testing::Values(
        AllowCase{"EmptyListTakesAny", {}, "", {"HID\\VID_1234&PID_5678"}, true},
        AllowCase{"ListEntryInAnyCase", {"hid\\vid_1209&pid_0001"}, "", kSimIds, true},
        AllowCase{"ListEntryLongerThanEveryId", {kSimId + "&MI_00"}, "", kSimIds, false},
        AllowCase{"ListEntryShorterThanEveryId", {"HID\\VID_1209&PID_000"}, "", kSimIds, false},
        AllowCase{"LaterListEntryMatches", {"HID\\VID_046D&PID_C08B", kSimId}, "", kSimIds, true},
        AllowCase{"StarIsLikeEmpty", {kSimId}, "*", kSimIds, true},
        AllowCase{"StarStillNeedsTheList", {"HID\\VID_046D&PID_C08B"}, "*", kSimIds, false},
        AllowCase{"DeviceIdOverridesTheList",
                  {"HID\\VID_046D&PID_C08B"},
                  "hid_device_up:ffa0_u:0001",
                  kSimIds,
                  true},
        AllowCase{"DeviceIdMustBeOneOfTheIds", {}, "HID\\VID_1209", kSimIds, false},
        AllowCase{"NoHardwareIdsOnlyWithEmptyList", {kSimId}, "", {}, false}),
    [](const testing::TestParamInfo<AllowCase>& info) { return std::string(info.param.name); });

TEST(HidData, OnlyInterfacesWithTheRequestedCollectionAndRoomForTheReportAreUsed) {
  FakeHidBackend backend;
  backend.interfaces.push_back(configInterface("/dev/hidraw0", kSimIds, 16));
  backend.interfaces.push_back(configInterface("/dev/hidraw1", kSimIds, 64));
  backend.interfaces.push_back(configInterface("/dev/hidraw2", kSimIds, 4096));
  backend.interfaces[2].info.usage = 0x0002;
  TuiHIDData hid(backend, {kSimId});

  auto r = request(3, 64);
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*r), std::error_code());
  ASSERT_EQ(backend.featuresSent.size(), 1u);
  EXPECT_EQ(backend.featuresSent[0].path, "/dev/hidraw1");
  Bytes expected(64, 0);
  expected[0] = 0x03;
  for (int i = 0; i < 16; ++i) expected[1 + i] = uint8_t(0xA0 + i);
  EXPECT_EQ(backend.featuresSent[0].bytes, expected);

  // Too large for every interface with the collection: nothing is sent.
  auto big = request(4, 1024);
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*big), std::errc::no_such_device);
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(*big), std::errc::no_such_device);
  EXPECT_EQ(backend.featuresSent.size(), 1u);
  EXPECT_TRUE(backend.featureRequests.empty());
}

TEST(HidData, TwoMatchingInterfacesBothReceiveTheReportAndTheSecondAnswers) {
  FakeHidBackend backend;
  backend.interfaces.push_back(configInterface("/dev/hidraw3", kSimIds));
  backend.interfaces.push_back(configInterface("/dev/hidraw3", kSimIds));
  backend.interfaces[1].info.collection = 1;
  backend.interfaces[0].featureAnswer = {0x02, 0x11, 0x12};
  backend.interfaces[1].featureAnswer = {0x02, 0x21, 0x22};
  TuiHIDData hid(backend, {});

  auto set = request(2, 16);
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*set), std::error_code());
  ASSERT_EQ(backend.featuresSent.size(), 2u);
  EXPECT_EQ(backend.featuresSent[0].collection, 0u);
  EXPECT_EQ(backend.featuresSent[1].collection, 1u);
  EXPECT_EQ(backend.featuresSent[0].bytes, backend.featuresSent[1].bytes);

  auto get = request(2, 16);
  get->Data.DATAReally[15] = 0x77;
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(*get), std::error_code());
  // Each interface is asked with a clean buffer that carries only the report ID.
  ASSERT_EQ(backend.featureRequests.size(), 2u);
  for (const Bytes& asked : backend.featureRequests) {
    Bytes expected(16, 0);
    expected[0] = 0x02;
    EXPECT_EQ(asked, expected);
  }
  EXPECT_EQ(get->Data.ReportID, 0x02);
  EXPECT_EQ(get->Data.DATAReally[0], 0x21);
  EXPECT_EQ(get->Data.DATAReally[1], 0x22);
  EXPECT_EQ(get->Data.DATAReally[14], 0x00);  // the rest of the 16 bytes as the device left them
  EXPECT_EQ(get->Data.DATAReally[15], 0x77);  // beyond DATASIZE: untouched
  EXPECT_EQ(backend.enumerations, 2);
}

struct ResultCase {
  const char* name;
  int first;
  int second;
  int result;           // an errno value, 0 for none
  uint8_t heldData[2];  // DATAReally[0] and [1] afterwards
};

class LastInterfaceDecides : public testing::TestWithParam<ResultCase> {};

TEST_P(LastInterfaceDecides, TheResultAndTheHeldReport) {
  const ResultCase& c = GetParam();
  FakeHidBackend backend;
  backend.interfaces.push_back(configInterface("/dev/hidraw0", kSimIds));
  backend.interfaces.push_back(configInterface("/dev/hidraw1", kSimIds));
  backend.interfaces[0].featureError = c.first;
  backend.interfaces[1].featureError = c.second;
  backend.interfaces[0].featureAnswer = {0x05, 0x11};
  backend.interfaces[1].featureAnswer = {0x05, 0x22};
  TuiHIDData hid(backend, {});
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*request(5, 16)).value(), c.result);
  auto get = request(5, 16);
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(*get).value(), c.result);
  EXPECT_EQ(get->Data.DATAReally[0], c.heldData[0]);
  EXPECT_EQ(get->Data.DATAReally[1], c.heldData[1]);
}

INSTANTIATE_TEST_SUITE_P(
    HidData, LastInterfaceDecides,
    testing::Values(ResultCase{"FailureThenSuccess", EIO, 0, 0, {0x22, 0x00}},
                    ResultCase{"SuccessThenFailure", 0, EPIPE, EPIPE, {0x11, 0x00}},
                    ResultCase{"TwoFailuresLeaveTheRequest", ETIMEDOUT, EIO, EIO, {0xA0, 0xA1}}),
    [](const testing::TestParamInfo<ResultCase>& info) { return std::string(info.param.name); });

TEST(HidData, PresenceNeedsAnOpenInterfaceOfTheCollectionWhateverItsFeatureLength) {
  FakeHidBackend backend;
  TuiHIDData hid(backend, {kSimId});
  auto r = request(2, 16);
  EXPECT_FALSE(hid.IsDeviceExist(*r));
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*r), std::errc::no_such_device);
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(*r), std::errc::no_such_device);

  backend.interfaces.push_back(configInterface("/dev/hidraw0", kSimIds, 0));
  backend.interfaces[0].openError = EACCES;
  EXPECT_FALSE(hid.IsDeviceExist(*r));
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*r), std::errc::no_such_device);

  backend.interfaces[0].openError = 0;
  EXPECT_TRUE(hid.IsDeviceExist(*r));
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*r), std::errc::no_such_device);  // no room for 16 bytes
}

// A mouse added to the include list while the program runs is used from the next operation
// on, also inside a hold whose handle of the old mouse is still open.
TEST(HidData, ANewIncludeListDecidesFromTheNextOperation) {
  FakeHidBackend backend;
  backend.interfaces.push_back(configInterface("sim:1", {kSimId}));
  backend.interfaces.push_back(configInterface("/dev/hidraw4", {"HID\\VID_1A2B&PID_3C4D"}));
  backend.interfaces[0].info.identity = "1";
  backend.interfaces[1].info.identity = "2";
  TuiHIDData hid(backend, {kSimId});
  const auto hold = hid.KeepHandlesOpen();
  auto r = request(2, 16);
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*r), std::error_code());

  hid.SetHIDDeviceList({"hid\\vid_1a2b&pid_3c4d"});
  EXPECT_EQ(hid.GetHIDDeviceList(), std::vector<std::string>{"hid\\vid_1a2b&pid_3c4d"});
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*r), std::error_code());
  ASSERT_EQ(backend.featuresSent.size(), 2u);
  EXPECT_EQ(backend.featuresSent[0].path, "sim:1");
  EXPECT_EQ(backend.featuresSent[1].path, "/dev/hidraw4");
}

// Within a hold an interface is opened once while its identity stays, and afresh after
// whatever may have made its handle useless.
TEST(HidDataHold, KeepsHandlesWhileTheIdentityStaysAndClosesThemOnTrouble) {
  FakeHidBackend backend;
  backend.interfaces.push_back(configInterface("/dev/hidraw0", {kSimId}));
  backend.interfaces[0].info.identity = "241:0 /sys/hidraw0 (first plug)";
  TuiHIDData hid(backend, {});
  auto send = [&] { return hid.HidFindAndSetFeatureReport(*request(2, 16)); };
  {
    const TuiHIDData::HandleHold hold = hid.KeepHandlesOpen();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(send(), std::error_code());
    EXPECT_EQ(backend.opens, 1);
    // Unplugged and plugged in again under the same node: another device, another handle.
    backend.interfaces[0].info.identity = "241:0 /sys/hidraw0 (second plug)";
    EXPECT_EQ(send(), std::error_code());
    EXPECT_EQ(backend.opens, 2);
    // A failed exchange closes the handle; the next exchange opens it again.
    backend.interfaces[0].featureError = EIO;
    EXPECT_EQ(send(), std::errc::io_error);
    backend.interfaces[0].featureError = 0;
    EXPECT_EQ(send(), std::error_code());
    EXPECT_EQ(backend.opens, 3);
    {
      // Holds nest: the inner end closes nothing.
      const TuiHIDData::HandleHold inner = hid.KeepHandlesOpen();
    }
    EXPECT_EQ(send(), std::error_code());
    EXPECT_EQ(backend.opens, 3);
  }
  // The hold ended: every operation opens and closes again.
  EXPECT_EQ(send(), std::error_code());
  EXPECT_EQ(send(), std::error_code());
  EXPECT_EQ(backend.opens, 5);
  EXPECT_EQ(backend.featuresSent.size(), 9u);
}

TEST(HidDataHold, OpensOnlyInterfacesWithAnIdentityAheadAndForgetsRemovedOnes) {
  FakeHidBackend backend;
  backend.interfaces.push_back(configInterface("/dev/hidraw0", {kSimId}));
  backend.interfaces.push_back(configInterface("/dev/hidraw1", {kSimId}));
  backend.interfaces[0].info.identity = "241:0 /sys/hidraw0";
  TuiHIDData hid(backend, {});
  const TuiHIDData::HandleHold hold = hid.KeepHandlesOpen();
  hid.OpenInterfaces(kMouseConfigUsage);
  EXPECT_EQ(backend.opens, 2);
  // The one without identity is opened per call; the other was opened ahead.
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*request(2, 16)), std::error_code());
  EXPECT_EQ(backend.opens, 3);
  // Removed, then back with the same identity: its handle was closed with the removal.
  const FakeInterface removed = backend.interfaces[0];
  backend.interfaces.erase(backend.interfaces.begin());
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*request(2, 16)), std::error_code());
  backend.interfaces.insert(backend.interfaces.begin(), removed);
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*request(2, 16)), std::error_code());
  EXPECT_EQ(backend.opens, 6);
}

// A hold is one sequence: the interface's exchange lock is taken at its first exchange (a
// presence check sends nothing and takes none) and kept to its end, and another program's
// hold is waited for.
TEST(HidDataHold, HoldsTheExchangeLockFromTheFirstExchangeToItsEnd) {
  test::TempDir dir;
  test::ScopedEnv env;
  env.set("XDG_RUNTIME_DIR", dir.path().c_str());
  FakeHidBackend backend;
  backend.interfaces.push_back(configInterface("/dev/hidraw0", {kSimId}));
  TuiHIDData hid(backend, {});
  const auto lockFile = dir / ExchangeLock::FileName("/dev/hidraw0");
  const auto othersMayTalk = [&] {
    std::string problem;
    return ExchangeLock::AcquireFile(lockFile, problem, std::chrono::milliseconds(0)) != nullptr;
  };
  {
    const TuiHIDData::HandleHold hold = hid.KeepHandlesOpen();
    THIDDataParam presence;
    presence.UsageAndPage = kMouseConfigUsage;
    EXPECT_TRUE(hid.IsDeviceExist(presence));
    EXPECT_TRUE(othersMayTalk());
    EXPECT_EQ(hid.HidFindAndSetFeatureReport(*request(2, 16)), std::error_code());
    EXPECT_FALSE(othersMayTalk());
    { const TuiHIDData::HandleHold inner = hid.KeepHandlesOpen(); }
    EXPECT_FALSE(othersMayTalk());
  }
  EXPECT_TRUE(othersMayTalk());

  // Another program's sequence: the exchange waits for its end, then goes ahead.
  std::string problem;
  auto other = ExchangeLock::AcquireFile(lockFile, problem);
  ASSERT_TRUE(other) << problem;
  std::thread otherEnds([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    other.reset();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(*request(2, 16)), std::error_code());
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
  otherEnds.join();
  EXPECT_TRUE(othersMayTalk());  // outside a hold, held for the one operation
}

// No lock, no exchange: every kind of report stays unsent and the reason is kept.
TEST(HidDataHold, WithoutTheExchangeLockNothingIsSent) {
  test::TempDir dir;
  test::ScopedEnv env;
  env.set("XDG_RUNTIME_DIR", (dir / "gone").c_str());
  FakeHidBackend backend;
  backend.interfaces.push_back(configInterface("/dev/hidraw0", {kSimId}));
  TuiHIDData hid(backend, {});
  const TuiHIDData::HandleHold hold = hid.KeepHandlesOpen();
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*request(2, 16)), std::errc::no_lock_available);
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(*request(2, 16)), std::errc::no_lock_available);
  auto out = request(1, 8);
  EXPECT_FALSE(hid.HidFindAndWriteDevice(*out));
  EXPECT_FALSE(hid.HidFindAndWriteDeviceBYHID(*out));
  EXPECT_TRUE(backend.featuresSent.empty());
  EXPECT_TRUE(backend.featureRequests.empty());
  EXPECT_TRUE(backend.outputsWritten.empty());
  EXPECT_NE(hid.LockProblem().find("cannot open the lock file"), std::string::npos)
      << hid.LockProblem();
  EXPECT_EQ(hid.ResultText(std::make_error_code(std::errc::no_lock_available)), hid.LockProblem());
  EXPECT_EQ(hid.ResultText(std::make_error_code(std::errc::io_error)), std::strerror(EIO));
  THIDDataParam presence;
  presence.UsageAndPage = kMouseConfigUsage;
  EXPECT_TRUE(hid.IsDeviceExist(presence));  // sends nothing, so needs no lock
}

TEST(HidData, RequestsBeyondTheReportBufferAreRefusedUnsent) {
  FakeHidBackend backend;
  backend.interfaces.push_back(configInterface("/dev/hidraw0", kSimIds, 0xFFFFFFFFu));
  backend.interfaces[0].info.outputReportByteLength = 0xFFFFFFFFu;
  TuiHIDData hid(backend, {});
  auto r = request(6, 65537);
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*r), std::errc::invalid_argument);
  EXPECT_EQ(hid.HidFindAndGetFeatureReport(*r), std::errc::invalid_argument);
  r->Data.DATASIZE = 65536;  // output: 65536 bytes after the ID do not fit
  EXPECT_FALSE(hid.HidFindAndWriteDevice(*r));
  r->Data.DATASIZE = 65537;
  EXPECT_FALSE(hid.HidFindAndWriteDeviceBYHID(*r));
  EXPECT_TRUE(backend.featuresSent.empty());
  EXPECT_TRUE(backend.outputsWritten.empty());

  r->Data.DATASIZE = 65536;  // the whole buffer, ReportID included
  EXPECT_EQ(hid.HidFindAndSetFeatureReport(*r), std::error_code());
  ASSERT_EQ(backend.featuresSent.size(), 1u);
  EXPECT_EQ(backend.featuresSent[0].bytes.size(), 65536u);
}

TEST(HidData, OutputReportsCountTheirSizeEachInTheirOwnWay) {
  FakeHidBackend backend;
  backend.interfaces.push_back(configInterface("/dev/hidraw0", {"HID\\VID_046D&PID_C08B"}));
  TuiHIDData hid(backend, {kSimId});  // output length 9
  auto r = request(7, 8);

  // After the ID: 8 + 1 bytes fill the output report; 9 + 1 do not. The list still rules.
  EXPECT_FALSE(hid.HidFindAndWriteDevice(*r));
  r->DeviceID = "HID\\VID_046D&PID_C08B";
  EXPECT_TRUE(hid.HidFindAndWriteDevice(*r));
  r->Data.DATASIZE = 9;
  EXPECT_FALSE(hid.HidFindAndWriteDevice(*r));
  ASSERT_EQ(backend.outputsWritten.size(), 1u);
  EXPECT_EQ(backend.outputsWritten[0].bytes,
            (Bytes{0x07, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0x00}));

  // By HID: every interface, DATASIZE counts the ID.
  r->DeviceID = "";
  EXPECT_TRUE(hid.HidFindAndWriteDeviceBYHID(*r));
  r->Data.DATASIZE = 10;
  EXPECT_FALSE(hid.HidFindAndWriteDeviceBYHID(*r));
  ASSERT_EQ(backend.outputsWritten.size(), 2u);
  EXPECT_EQ(backend.outputsWritten[1].bytes,
            (Bytes{0x07, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0x00}));
}

// Events raised by reader threads, in the order they came.
struct EventLog {
  struct Event {
    std::string what;
    std::string path;
    Bytes report;  // OnData: ReportID, then Data
    uint32_t buttons = 0;
    std::thread::id thread;
  };
  void add(std::string what, std::string path, Bytes report, uint32_t buttons = 0) {
    std::lock_guard lock(mutex);
    Event e{std::move(what), std::move(path), std::move(report), buttons,
            std::this_thread::get_id()};
    events.push_back(std::move(e));
    changed.notify_all();
  }
  // Waits until `n` events arrived; generous, since only a stalled reader takes that long.
  bool waitFor(std::size_t n) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), [&] { return events.size() >= n; });
  }
  std::vector<Event> snapshot() {
    std::lock_guard lock(mutex);
    return events;
  }
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Event> events;
};

void connect(TuiHIDData& hid, EventLog& log) {
  hid.OnData = [&log](const std::string&, const std::string& path, uint8_t id, const uint8_t* data,
                      uint16_t size) {
    Bytes report{id};
    report.insert(report.end(), data, data + size);
    log.add("data", path, report);
  };
  hid.OnDeviceNotConnected = [&log](const std::string& deviceId, const std::string& path) {
    log.add("gone " + deviceId, path, {});
  };
}

FakeInterface bootMouse(const std::string& path) {
  FakeInterface f;
  f.info.path = path;
  f.info.hardwareIds = {"HID\\VID_046D&PID_C077&REV_7200", "HID\\VID_046D&PID_C077"};
  f.info.usagePage = 0x01;
  f.info.usage = 0x02;
  f.info.inputReportByteLength = 4;
  f.info.reportDescriptor = test::kBootMouse;
  return f;
}

constexpr USAGE_AND_PAGE kMouse{0x02, 0x01};

TEST(HidDataReader, ReportsComeWithTheirIdByteOrAZeroOneAndTheDeviceGoingAwayEndsTheReader) {
  FakeHidBackend backend;
  backend.interfaces.push_back(bootMouse("/dev/hidraw0"));
  FakeInterface keyboard;
  keyboard.info.path = "/dev/hidraw1";
  keyboard.info.hardwareIds = {"HID\\VID_04D9&PID_0169"};
  keyboard.info.usagePage = 0x01;
  keyboard.info.usage = 0x02;  // asked for as a mouse, to read both with one request
  keyboard.info.inputReportByteLength = 9;
  keyboard.info.reportDescriptor = test::kKeyboardWithConsumer;
  backend.interfaces.push_back(keyboard);
  backend.interfaces[0].inputReports = {{0x01, 0x05, 0xFB}};
  backend.interfaces[1].inputReports = {{0x02, 0xE9, 0x00}};
  backend.interfaces[0].gone = true;

  EventLog log;
  TuiHIDData hid(backend, {});
  connect(hid, log);
  hid.FastOnData = true;
  hid.HidFindAndReadDevice(kMouse, "");
  ASSERT_TRUE(log.waitFor(3));
  hid.HidStopRead();

  std::vector<EventLog::Event> events = log.snapshot();
  ASSERT_EQ(events.size(), 3u);
  auto find = [&](const std::string& what, const std::string& path) {
    for (const EventLog::Event& e : events)
      if (e.what == what && e.path == path) return e;
    ADD_FAILURE() << what << " " << path;
    return EventLog::Event{};
  };
  EXPECT_EQ(find("data", "/dev/hidraw0").report, (Bytes{0x00, 0x01, 0x05, 0xFB}));
  EXPECT_EQ(find("data", "/dev/hidraw1").report, (Bytes{0x02, 0xE9, 0x00}));
  const EventLog::Event gone = find("gone HID\\VID_046D&PID_C077&REV_7200", "/dev/hidraw0");
  EXPECT_NE(gone.thread, std::this_thread::get_id());
  // Fast delivery runs on the reader thread too.
  EXPECT_EQ(find("data", "/dev/hidraw0").thread, gone.thread);
}

TEST(HidDataReader, ButtonDataNamesTheFirstReleasedElseTheFirstPressedButton) {
  FakeHidBackend backend;
  backend.interfaces.push_back(bootMouse("/dev/hidraw0"));
  const std::pair<uint8_t, uint32_t> steps[] = {
      {0x01, 0x00010000},  // button 1 pressed
      {0x03, 0x00020000},  // and button 2
      {0x03, 0x00000000},  // nothing changed
      {0x06, 0x00000001},  // 1 released (3 pressed as well: the release wins)
      {0x04, 0x00000002},  // 2 released
      {0x00, 0x00000003},  // 3 released
  };
  for (const auto& [bits, expected] : steps)
    backend.interfaces[0].inputReports.push_back({bits, 0x10, 0x20});

  EventLog log;
  TuiHIDData hid(backend, {});
  hid.OnParsedData = [&log](const std::string&, const std::string& path, uint8_t id,
                            uint32_t buttons) { log.add("parsed", path, {id}, buttons); };
  hid.FastOnData = true;
  hid.HidFindAndReadDevice(kMouse, "*");
  ASSERT_TRUE(log.waitFor(std::size(steps)));
  hid.HidStopRead();
  const std::vector<EventLog::Event> events = log.snapshot();
  ASSERT_EQ(events.size(), std::size(steps));
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].buttons, steps[i].second) << i;
    EXPECT_EQ(events[i].report, Bytes{0x00});
  }
}

TEST(HidDataReader, EventsGoThroughTheMainThreadQueueAndStopDropsWhatIsStillQueued) {
  FakeHidBackend backend;
  backend.interfaces.push_back(bootMouse("/dev/hidraw0"));
  backend.interfaces[0].inputReports = {{0x01, 0x00, 0x00}, {0x00, 0x00, 0x00}};
  std::mutex queueLock;
  std::condition_variable queued;
  std::vector<std::function<void()>> queue;
  EventLog log;
  TuiHIDData hid(backend, {});
  connect(hid, log);
  hid.PostToMainThread = [&](std::function<void()> task) {
    std::lock_guard lock(queueLock);
    queue.push_back(std::move(task));
    queued.notify_all();
  };
  hid.HidFindAndReadDevice(kMouse, "");
  {
    std::unique_lock lock(queueLock);
    ASSERT_TRUE(queued.wait_for(lock, std::chrono::seconds(10), [&] { return queue.size() == 2; }));
  }
  EXPECT_TRUE(log.snapshot().empty());
  queue[0]();
  ASSERT_EQ(log.snapshot().size(), 1u);
  EXPECT_EQ(log.snapshot()[0].thread, std::this_thread::get_id());
  EXPECT_EQ(log.snapshot()[0].report, (Bytes{0x00, 0x01, 0x00, 0x00}));

  hid.HidStopRead();
  queue[1]();
  EXPECT_EQ(log.snapshot().size(), 1u);
}

TEST(HidDataReader, AHandlerThatThrowsEndsItsReaderNotTheProcess) {
  FakeHidBackend backend;
  backend.interfaces.push_back(bootMouse("/dev/hidraw0"));
  backend.interfaces[0].inputReports = {{0x01, 0x00, 0x00}, {0x00, 0x00, 0x00}};
  EventLog log;
  TuiHIDData hid(backend, {});
  hid.FastOnData = true;
  hid.OnData = [&log](const std::string&, const std::string& path, uint8_t, const uint8_t*,
                      uint16_t) {
    log.add("data", path, {});
    throw std::runtime_error("handler failed");
  };
  hid.HidFindAndReadDevice(kMouse, "");
  ASSERT_TRUE(log.waitFor(1));
  hid.HidStopRead();
  EXPECT_EQ(log.snapshot().size(), 1u);  // the second report found no reader
}

struct ReaderAllowCase {
  const char* name;
  std::vector<std::string> include;
  std::string hidId;
  bool reads;
};

class ReaderAllowRules : public testing::TestWithParam<ReaderAllowCase> {};

TEST_P(ReaderAllowRules, DecideWhichInterfacesAreRead) {
  const ReaderAllowCase& c = GetParam();
  FakeHidBackend backend;
  backend.interfaces.push_back(bootMouse("/dev/hidraw0"));
  TuiHIDData hid(backend, c.include);
  hid.HidFindAndReadDevice(kMouse, c.hidId);
  // Matching opens the interface once; a reader opens its own handle.
  EXPECT_EQ(backend.opens, c.reads ? 2 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    HidData, ReaderAllowRules,
    testing::Values(ReaderAllowCase{"EmptyListReadsAll", {}, "HID\\VID_1209&PID_0001", true},
                    ReaderAllowCase{"NamedIdInAnyCase", {kSimId}, "hid\\vid_046d&pid_c077", true},
                    ReaderAllowCase{"NamedIdMissing", {"HID\\VID_046D&PID_C077"}, kSimId, false},
                    ReaderAllowCase{"EmptyIdMatchesNothing", {"HID\\VID_046D&PID_C077"}, "", false},
                    ReaderAllowCase{"StarUsesTheList", {"HID\\VID_046D&PID_C077"}, "*", true},
                    ReaderAllowCase{"StarWithoutAListEntry", {kSimId}, "*", false}),
    [](const testing::TestParamInfo<ReaderAllowCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
}  // namespace qor
