// SPDX-License-Identifier: GPL-2.0-or-later
// Apply against the virtual mouse's firmware: the bytes it leaves and the order of its steps.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "app/apply_sequence.h"
#include "app/model_detection.h"
#include "app/thread_call.h"
#include "device/hid_data.h"
#include "platform/linux/sqlite_registry.h"
#include "protocol/device_commands.h"
#include "settings/button_assignment.h"
#include "sim/in_process_backend.h"
#include "test_support/bytes.h"
#include "test_support/recording_pointer_settings.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using test::Bytes;

class RecordingMonitor final : public MonitorLink {
 public:
  void Start() override {}
  void Notify(uint32_t w, uint32_t l) override { calls.emplace_back(w, l); }
  std::vector<std::pair<uint32_t, uint32_t>> calls;
};

// An interface that is present but is not the mouse's configuration collection.
sim::SimInterfaceConfig otherCollection() {
  sim::SimInterfaceConfig c;
  c.usagePage = 0x0001;
  c.usage = 0x0002;
  return c;
}

class ApplyTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  SqliteRegistry registry{dir / "user.db", dir / "machine.db"};
  TDM dm{DataModuleEnvironment{registry, dir / "docs", dir / "program"}, nullptr};
  std::shared_ptr<test::RecordingPointerSettings> pointer =
      std::make_shared<test::RecordingPointerSettings>();
  RecordingMonitor monitor;
  std::vector<std::string> events;

  ApplyHooks hooks() {
    ApplyHooks h;
    h.ProcessMessages = [this] { events.push_back("messages"); };
    h.Sleep = [this](std::chrono::milliseconds ms) {
      events.push_back("sleep " + std::to_string(ms.count()));
    };
    h.Busy = [this](bool on) { events.push_back(on ? "busy" : "idle"); };
    h.Trace = [this](const std::string& s) { events.push_back(s); };
    return h;
  }
  static Bytes at(const sim::DeviceMemory& m, std::size_t address, std::size_t n) {
    return Bytes(m.begin() + address, m.begin() + address + n);
  }
};

TEST_F(ApplyTest, UploadsTheCurrentProfileInOrder) {
  sim::DeviceMemory memory = sim::FactoryMemory("MODAL002  ");
  memory[73] = 2;  // the mouse's current CPI level
  sim::InProcessHidBackend backend({}, 1, memory);
  TuiHIDData device(backend, {});
  TMOUSEPROFILEINFO& p = dm.FCurrentProfileInfo;
  ApplyButtonMenuChoice(p, 2, 702, {});  // Copy: Ctrl+C
  p.ConfigInfo.ReportRate = 1000;
  p.ConfigInfo.LEDConfig = {255, 0, 0, 3, 1, 0};
  p.ConfigInfo.CurrentCPIIndex = 0;

  ApplySequence apply(dm, device, pointer, monitor);
  ASSERT_EQ(apply.Run(hooks()), ApplyResult::Applied);
  ASSERT_TRUE(TuiThread::WaitForWorkers(std::chrono::seconds(5)));

  const sim::DeviceMemory& m = backend.firmware(0).memory();
  EXPECT_EQ(at(m, 144, 41), (Bytes{9, 1, 0, 0, 0,  2, 0, 0, 0,  15, 1, 6, 0, 4, 0, 0, 0, 5, 0, 0, 0,
                                   8, 0, 0, 0, 10, 0, 0, 0, 10, 0,  0, 0, 9, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(at(m, 2177, 6), (Bytes{255, 255, 0, 3, 1, 0}));
  EXPECT_EQ(at(m, 72, 14), (Bytes{4, 2, 1, 2, 2, 1, 4, 4, 1, 6, 6, 1, 10, 10}));
  EXPECT_EQ(m[69], 0x11);
  EXPECT_EQ(m[64], 0);
  EXPECT_EQ(m[62], 0x81);                      // wheel value 1, LED on
  EXPECT_EQ(at(m, 1745, 384), Bytes(384, 0));  // slot 4 always written in full
  EXPECT_EQ(backend.firmware(0).command1().count, 1u);
  EXPECT_EQ(backend.firmware(0).command6().count, 2u);
  EXPECT_EQ(backend.firmware(0).command6().params[0], 1);  // (1, 0) last
  EXPECT_EQ(dm.FCurrentProfileInfo.ConfigInfo.CurrentCPIIndex, 2);
  EXPECT_EQ(monitor.calls, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 0}}));
  EXPECT_EQ(pointer->calls(),
            (std::vector<std::string>{"acceleration 0 0,0,0", "speed 10", "wheel 3"}));
  EXPECT_TRUE(apply.Warnings().empty());

  const std::vector<std::string> expected = {
      "messages",
      "sleep 50",
      "command 6 (0, 0)",
      "busy",
      "current CPI level read: 2",
      "profile blocks: button table, macro slots, LED block, CPI block",
      "messages",
      "messages",
      "messages",
      "messages",  // after each of the four writes
      "messages",
      "sleep 50",
      "report rate byte 17",
      "bank selector 0",
      "wheel LED byte",
      "messages",
      "sleep 50",
      "command 6 (1, 0)",
      "messages",
      "sleep 50",
      "command 1 (1, 0)",
      "messages",
      "sleep 50",
      "idle"};
  EXPECT_EQ(events, expected);
}

TEST_F(ApplyTest, VerifyFindsWhatTheMouseDoesNotHold) {
  sim::InProcessHidBackend backend({}, 1, sim::FactoryMemory("MODAL002"));
  TuiHIDData device(backend, {});
  dm.FCurrentProfileInfo.ConfigInfo.ReportRate = 500;
  ApplySequence apply(dm, device, nullptr, monitor);
  ASSERT_EQ(apply.Run(hooks()), ApplyResult::Applied);
  ApplyVerification v = apply.Verify();
  EXPECT_TRUE(v.readFailure.empty());
  EXPECT_TRUE(v.differences.empty());
  // Something else changed the report rate byte (0x22 was written) and two LED bytes.
  ASSERT_EQ(WriteDeviceByte(device, 0x11, kReportRateAddress), std::error_code());
  const uint8_t led[2] = {1, 2};
  ASSERT_EQ(WriteDeviceBlock(device, led, 2, kLEDBlockAddress + 3), std::error_code());
  v = apply.Verify();
  EXPECT_EQ(v.differences,
            (std::vector<std::string>{"2 of 6 bytes at 2177 differ, the first at 2180",
                                      "1 of 1 bytes at 69 differ, the first at 69"}));
}

TEST_F(ApplyTest, WithoutAMouseItSavesAndSendsNothing) {
  sim::InProcessHidBackend backend(otherCollection());
  TuiHIDData device(backend, {});
  dm.FCurrentProfileInfo.ConfigInfo.ReportRate = 250;
  ApplySequence apply(dm, device, pointer, monitor);
  EXPECT_EQ(apply.Run(hooks()), ApplyResult::NoMouse);
  ASSERT_TRUE(TuiThread::WaitForWorkers(std::chrono::seconds(5)));
  EXPECT_EQ(pointer->calls().size(), 3u);
  EXPECT_TRUE(monitor.calls.empty());
  EXPECT_EQ(backend.firmware(0).command6().count, 0u);
  EXPECT_EQ(at(backend.firmware(0).memory(), 144, 1), Bytes{0});
  const Bytes file = test::readBytes(dir / "docs" / "Tessaly Gaming Mouse" / "QORProfile1.PFX");
  EXPECT_EQ(test::u16At(file, 72546), 250);  // saved before the presence check

  // What the desktop was handed is recorded for the monitor, even without a mouse: speed 17,
  // 3 wheel lines, acceleration preset 2, each 32 bits.
  dm.FCurrentProfileInfo.ConfigInfo.PointerSpeed = 17;
  dm.FCurrentProfileInfo.ConfigInfo.PointerAcceleration = 2;
  apply.Run(hooks());
  ASSERT_TRUE(TuiThread::WaitForWorkers(std::chrono::seconds(5)));
  RegistryValue recorded;
  ASSERT_TRUE(
      registry.readValue(RootKey::CurrentUser, kRegistryKeyPath, "QOR51AppliedPointer", recorded)
          .isOk());
  EXPECT_EQ(recorded.type, ValueType::Binary);
  EXPECT_EQ(recorded.data, (Bytes{17, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0}));
}

TEST_F(ApplyTest, AnImageThatIsNoProfileIsNeverSent) {
  sim::InProcessHidBackend backend({}, 1, sim::FactoryMemory("MODAL002"));
  TuiHIDData device(backend, {});
  dm.FCurrentProfileInfo = TMOUSEPROFILEINFO{};
  ApplySequence apply(dm, device, pointer, monitor);
  EXPECT_EQ(apply.Run(hooks()), ApplyResult::NoProfile);
  ASSERT_TRUE(TuiThread::WaitForWorkers(std::chrono::seconds(5)));
  ASSERT_EQ(apply.Warnings().size(), 1u);
  EXPECT_EQ(backend.firmware(0).command6().count, 0u);  // the first thing Apply sends
}

TEST_F(ApplyTest, ModelDetectionTrimsAndMatchesExactly) {
  struct Case {
    std::string answer;
    bool present;
    std::string model, layout;
  } cases[] = {
      {"MODAL002  ", true, "MODAL002", "IMAGES\\LAYOUT2.PNG"},
      {" \tMODAL003", true, "MODAL003", "IMAGES\\LAYOUT3.PNG"},
      {"modal002", true, "modal002", "IMAGES\\NOLAYOUT.PNG"},
      {"OTHER", true, "OTHER", "IMAGES\\NOLAYOUT.PNG"},
  };
  for (const Case& c : cases) {
    sim::InProcessHidBackend backend({}, 1, sim::FactoryMemory(c.answer));
    TuiHIDData device(backend, {});
    const ModelDetection d = DetectModel(device, dm, dir / "program");
    EXPECT_EQ(d.present, c.present) << c.answer;
    EXPECT_EQ(d.model, c.model);
    EXPECT_EQ(d.layout, c.layout);
    EXPECT_TRUE(d.layoutFile.empty());  // no pictures in this program folder
  }
  sim::InProcessHidBackend none(otherCollection());
  TuiHIDData device(none, {});
  const ModelDetection d = DetectModel(device, dm, dir / "program");
  EXPECT_FALSE(d.present);
  EXPECT_EQ(d.layout, "IMAGES\\NOLAYOUT.PNG");
  EXPECT_FALSE(SettingButtonsEnabled(d, dm));
  const uint8_t answer[16] = {'A', 'B', ' ', 0, 'Z'};
  EXPECT_EQ(ModelTextFromAnswer(answer, 16), "AB");
}

}  // namespace
}  // namespace qor
