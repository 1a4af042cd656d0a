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

  // Profile 1 and 3 with their own pointer values, profile 3 current, saved as Apply saves.
  void storeProfiles() {
    TDM dm{DataModuleEnvironment{registry, dir / "docs", dir / "program"}, nullptr};
    struct Values {
      int profile, speed, wheel, acceleration, doubleClick;
    } values[] = {{1, 10, 3, 1, 500}, {3, 15, 30, 2, 400}};
    for (const Values& v : values) {
      dm.SwitchToProfile(v.profile - 1);
      TMOUSECONFIGINFO& c = dm.FCurrentProfileInfo.ConfigInfo;
      c.PointerSpeed = uint16_t(v.speed);
      c.VWheelSpeed = uint16_t(v.wheel);
      c.PointerAcceleration = uint16_t(v.acceleration);
      c.DoubleClickSpeed = uint16_t(v.doubleClick);
      dm.SaveBackToCurrentProfileInfo();
    }
    ASSERT_TRUE(dm.SaveAllProfileData());
    ASSERT_TRUE(dm.SaveBackAllProfileSettingInfo());  // as a profile switch stores it
  }
};

const Calls kProfile3 = {"acceleration 2 4,6,2", "speed 15", "wheel 30", "double-click 400"};
const Calls kProfile1 = {"acceleration 1 7,0,1", "speed 10", "wheel 3", "double-click 500"};

TEST_F(PointerRestoreTest, StartAndPlugInHandOnTheCurrentProfileAndNeverWrite) {
  storeProfiles();
  const test::Bytes slotFile =
      test::readBytes(dir / "docs" / "Tessaly Gaming Mouse" / "QORProfile3.PFX");
  StoredPointerRestore restore(readOnly, pointer);

  ASSERT_TRUE(restore.Restore()) << restore.Problem();  // the monitor's start
  EXPECT_EQ(pointer->calls(), kProfile3);

  // Plug-ins: only the change from absent to present counts.
  EXPECT_FALSE(restore.MousePresence(false));
  EXPECT_TRUE(restore.MousePresence(true));
  EXPECT_FALSE(restore.MousePresence(true));  // another device came, the mouse stayed
  EXPECT_FALSE(restore.MousePresence(false));
  EXPECT_TRUE(restore.MousePresence(true, 0));  // the profile the configurator last told
  Calls expected = kProfile3;
  expected.insert(expected.end(), kProfile3.begin(), kProfile3.end());
  expected.insert(expected.end(), kProfile1.begin(), kProfile1.end());
  EXPECT_EQ(pointer->calls(), expected);

  EXPECT_EQ(readOnly.writes, 0);
  EXPECT_EQ(test::readBytes(dir / "docs" / "Tessaly Gaming Mouse" / "QORProfile3.PFX"), slotFile);
}

TEST_F(PointerRestoreTest, NothingIsHandedOnWithoutAStoredProfile) {
  StoredPointerRestore restore(readOnly, pointer);
  EXPECT_FALSE(restore.Restore());
  EXPECT_EQ(restore.Problem(), "no current profile is stored yet");

  storeProfiles();
  // A slot file that holds no profile of this version.
  test::Bytes damaged(109888, 0);
  const auto file = dir / "docs" / "Tessaly Gaming Mouse" / "QORProfile3.PFX";
  std::filesystem::remove(file);
  {
    FILE* f = std::fopen(file.c_str(), "wb");
    std::fwrite(damaged.data(), 1, damaged.size(), f);
    std::fclose(f);
  }
  EXPECT_FALSE(restore.Restore());
  EXPECT_NE(restore.Problem().find("holds no profile of this version"), std::string::npos)
      << restore.Problem();
  EXPECT_FALSE(restore.Restore(7));
  EXPECT_EQ(pointer->calls(), Calls{});
}

}  // namespace
}  // namespace qor
