// SPDX-License-Identifier: GPL-2.0-or-later
// The monitor's restore of the pointer settings from the stored profiles.
#include <gtest/gtest.h>

#include <memory>

#include "app/pointer_restore.h"
#include "model/data_module.h"
#include "platform/linux/sqlite_registry.h"
#include "test_support/bytes.h"
#include "test_support/recording_pointer_settings.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using Calls = std::vector<std::string>;

// Passes reads on and fails every write: the restore must only read.
class ReadOnlyRegistry final : public Registry {
 public:
  explicit ReadOnlyRegistry(Registry& inner) : inner_(inner) {}
  RegistryResult createKey(RootKey, std::string_view) override { return refuse(); }
  RegistryResult readValue(RootKey root, std::string_view key, std::string_view name,
                           RegistryValue& out) override {
    return inner_.readValue(root, key, name, out);
  }
  RegistryResult writeValue(RootKey, std::string_view, std::string_view,
                            const RegistryValue&) override {
    return refuse();
  }
  RegistryResult deleteValue(RootKey, std::string_view, std::string_view) override {
    return refuse();
  }
  int writes = 0;

 private:
  RegistryResult refuse() {
    ++writes;
    ADD_FAILURE() << "the restore wrote to the settings";
    return RegistryResult::failed("read only");
  }
  Registry& inner_;
};

class PointerRestoreTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  SqliteRegistry registry{dir / "user.db", dir / "machine.db"};
  ReadOnlyRegistry readOnly{registry};
  std::shared_ptr<test::RecordingPointerSettings> pointer =
      std::make_shared<test::RecordingPointerSettings>();

  // The window's first start: every record stored with factory values, nothing applied.
  void firstStart() {
    TDM dm{DataModuleEnvironment{registry, dir / "docs", dir / "program"}, nullptr};
  }
  void record(test::Bytes bytes, ValueType type = ValueType::Binary) {
    ASSERT_TRUE(registry
                    .writeValue(RootKey::CurrentUser, kRegistryKeyPath, kAppliedPointerValue,
                                {type, std::move(bytes)})
                    .isOk());
  }
};

// Speed 15, 30 wheel lines, acceleration preset 2, as Apply records them.
const test::Bytes kApplied = {15, 0, 0, 0, 30, 0, 0, 0, 2, 0, 0, 0};
const Calls kAppliedCalls = {"acceleration 2 4,6,2", "speed 15", "wheel 30"};

TEST_F(PointerRestoreTest, AnInstallWhereNobodyAppliedChangesNothing) {
  AppliedPointerRestore restore(readOnly, pointer);
  EXPECT_FALSE(restore.Restore());  // no database at all
  firstStart();
  EXPECT_FALSE(restore.Restore());  // profiles stored, nothing applied
  EXPECT_FALSE(restore.MousePresence(true));
  EXPECT_EQ(restore.Problem(), "");
  EXPECT_EQ(pointer->calls(), Calls{});
  EXPECT_EQ(readOnly.writes, 0);
}

TEST_F(PointerRestoreTest, StartAndPlugInHandOnWhatWasAppliedWhereTheDesktopDiffers) {
  firstStart();
  record(kApplied);
  AppliedPointerRestore restore(readOnly, pointer);
  ASSERT_TRUE(restore.Restore()) << restore.Problem();  // the monitor's start
  EXPECT_EQ(pointer->calls(), kAppliedCalls);

  // Plug-ins: only the change from absent to present counts.
  EXPECT_FALSE(restore.MousePresence(false));
  EXPECT_TRUE(restore.MousePresence(true));
  EXPECT_FALSE(restore.MousePresence(true));  // another device came, the mouse stayed
  Calls expected = kAppliedCalls;
  expected.insert(expected.end(), kAppliedCalls.begin(), kAppliedCalls.end());
  EXPECT_EQ(pointer->calls(), expected);

  // A desktop that kept the speed and the wheel lines is handed only the acceleration.
  pointer->held = {"speed 15", "wheel 30", "acceleration 1"};
  EXPECT_FALSE(restore.MousePresence(false));
  EXPECT_TRUE(restore.MousePresence(true));
  expected.push_back("acceleration 2 4,6,2");
  EXPECT_EQ(pointer->calls(), expected);
  EXPECT_EQ(readOnly.writes, 0);
}

TEST_F(PointerRestoreTest, ARecordThatHoldsNoPointerSettingsIsNotHandedOn) {
  struct Case {
    const char* what;
    test::Bytes bytes;
    ValueType type;
  } cases[] = {
      {"short", {15, 0, 0, 0, 30, 0, 0, 0}, ValueType::Binary},
      {"acceleration 4", {15, 0, 0, 0, 30, 0, 0, 0, 4, 0, 0, 0}, ValueType::Binary},
      {"another type", kApplied, ValueType::String},
  };
  AppliedPointerRestore restore(readOnly, pointer);
  for (const Case& c : cases) {
    record(c.bytes, c.type);
    EXPECT_FALSE(restore.Restore()) << c.what;
    EXPECT_NE(restore.Problem().find(kAppliedPointerValue), std::string::npos) << c.what;
  }
  EXPECT_EQ(pointer->calls(), Calls{});
}

}  // namespace
}  // namespace qor
