#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "model/data_module.h"
#include "model/factory_defaults.h"
#include "model/profile_import.h"
#include "model/wide_text.h"
#include "platform/linux/sqlite_registry.h"
#include "test_support/bytes.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

constexpr const char* kKey = "software\\QOR51GMMouse";
constexpr std::size_t kReportRate = 72546;  // profile offset of ReportRate

class DataModuleTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  fs::path docs = dir / "Documents";
  fs::path folder = docs / "Tessaly Gaming Mouse";
  std::unique_ptr<SqliteRegistry> registry = makeRegistry();
  std::vector<StoreProblem> problems;

  std::unique_ptr<SqliteRegistry> makeRegistry() {
    return std::make_unique<SqliteRegistry>(dir / "user.db", dir / "machine.db");
  }
  std::unique_ptr<TDM> start() {
    problems.clear();
    return std::make_unique<TDM>(DataModuleEnvironment{*registry, docs, dir / "program"},
                                 [this](const StoreProblem& p) { problems.push_back(p); });
  }
  int errors() const {
    return int(std::count_if(problems.begin(), problems.end(),
                             [](auto& p) { return p.kind == StoreProblem::Kind::Error; }));
  }
  Bytes value(const char* name) {
    RegistryValue v;
    EXPECT_TRUE(registry->readValue(RootKey::CurrentUser, kKey, name, v).isOk()) << name;
    return v.data;
  }
  void putValue(const char* name, const Bytes& data, ValueType type = ValueType::Binary) {
    ASSERT_TRUE(registry->writeValue(RootKey::CurrentUser, kKey, name, {type, data}).isOk());
  }
  fs::path slotFile(int i) const { return folder / ("QORProfile" + std::to_string(i) + ".PFX"); }
  static Bytes factoryProfile() {
    TMOUSEPROFILEINFO p{};
    RestoreFactoryProfile(p);
    return test::imageOf(p);
  }
};

TEST_F(DataModuleTest, FirstStartWritesFactoryRecordsAndFilesThenReadsThemBack) {
  {
    auto dm = start();
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(dm->FProfileIndex, 0);
    EXPECT_EQ(test::imageOf(dm->FCurrentProfileInfo), factoryProfile());
    const Bytes group = value("QOR51ProfileSettingGroup.PFX");
    ASSERT_EQ(group.size(), 30964u);
    EXPECT_EQ(test::wideAt(group, 12 + 2, 1024), folder.string());
    EXPECT_EQ(value("QOR51PROFILE.PFX").size(), 30960u);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(test::readBytes(slotFile(i)), factoryProfile()) << i;
  }
  // Slot 1 was saved from the first run on; a change to its file shows on the next start.
  Bytes edited = factoryProfile();
  test::put16(edited, kReportRate, 1000);
  test::writeBytes(slotFile(1), edited);
  auto dm = start();
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(dm->FCurrentProfileInfo.ConfigInfo.ReportRate, 1000);
  EXPECT_EQ(dm->SlotStore(0).FilePath(), folder.string() + "/");
}

TEST_F(DataModuleTest, StartsOnTheStoredGroupsStartProfile) {
  start();
  Bytes group = value("QOR51ProfileSettingGroup.PFX");
  test::put32(group, 0, 1);  // group 1 ...
  test::put32(group, 8, 3);  // ... starts on slot 3
  putValue("QOR51ProfileSettingGroup.PFX", group);
  auto dm = start();
  EXPECT_EQ(dm->FProfileGroupIndex, 1);
  EXPECT_EQ(dm->FProfileIndex, 3);
}

TEST_F(DataModuleTest, ASwitchIsRecordedButTheNextStartUsesTheGroup) {
  {
    auto dm = start();
    ASSERT_TRUE(dm->SwitchToProfile(2));
    ASSERT_TRUE(dm->SaveBackAllProfileSettingInfo());
    EXPECT_FALSE(dm->SwitchToProfile(5));
    EXPECT_FALSE(dm->SwitchToProfile(-1));
    EXPECT_EQ(dm->FProfileIndex, 2);
  }
  EXPECT_EQ(test::i32At(value("QOR51PROFILE.PFX"), 30952), 2);
  auto dm = start();
  EXPECT_EQ(dm->FProfileIndex, 0);
}

TEST_F(DataModuleTest, StoredIndicesOutOfRangeAreNeverUsed) {
  start();
  for (auto [group, startProfile] : {std::pair{7, 0}, std::pair{0, 9}, std::pair{-1, -4}}) {
    Bytes g = value("QOR51ProfileSettingGroup.PFX");
    test::put32(g, 0, uint32_t(group));
    test::put32(g, 4, uint32_t(startProfile));
    putValue("QOR51ProfileSettingGroup.PFX", g);
    auto dm = start();
    EXPECT_EQ(dm->FProfileIndex, 0);
    EXPECT_TRUE(TDM::IsProfileGroupIndexInRange(dm->FProfileGroupIndex));
    EXPECT_FALSE(problems.empty());
    EXPECT_EQ(errors(), 0);
  }
}

TEST_F(DataModuleTest, ModelLayoutMatchesCaseSensitively) {
  auto dm = start();
  EXPECT_EQ(dm->GetModalLayoutByModalNumber("MODAL002"), "IMAGES\\LAYOUT2.PNG");
  EXPECT_EQ(dm->GetModalLayoutByModalNumber("modal002"), "IMAGES\\NOLAYOUT.PNG");
}

TEST_F(DataModuleTest, ShortAndLongSlotFilesLoadOnlyTheirBytes) {
  start();
  const Bytes full = factoryProfile();
  test::writeBytes(slotFile(1), Bytes(full.begin(), full.begin() + 100));
  Bytes longer = full;
  longer.resize(full.size() + 50, 0x5A);
  test::writeBytes(slotFile(2), longer);
  auto dm = start();
  EXPECT_EQ(errors(), 0);
  EXPECT_EQ(problems.size(), 2u);  // one warning each
  EXPECT_EQ(dm->FCurrentProfileInfo.ProfileHeader.FFileVersion, 258);
  EXPECT_EQ(dm->FCurrentProfileInfo.ConfigInfo.ReportRate, 0);  // past the 100 bytes
  // Nothing is lost: saving writes back every byte the longer file had.
  ASSERT_TRUE(dm->SaveAllProfileData());
  EXPECT_EQ(test::readBytes(slotFile(2)), longer);
}

TEST_F(DataModuleTest, UnreadableSlotFileIsMovedAsideNotOverwritten) {
  start();
  test::writeBytes(slotFile(3), {});
  fs::resize_file(slotFile(3), 100u * 1024 * 1024);  // sparse, far too large
  auto dm = start();
  ASSERT_EQ(errors(), 1);
  EXPECT_NE(problems[0].message.find("QORProfile3.PFX.damaged"), std::string::npos);
  EXPECT_EQ(fs::file_size(slotFile(3).string() + ".damaged"), 100u * 1024 * 1024);
  EXPECT_EQ(test::readBytes(slotFile(3)), factoryProfile());
}

TEST_F(DataModuleTest, RegistryValueOfAnotherTypeIsReportedAndKept) {
  start();
  putValue("QOR51ProfileSettingGroup.PFX", {'x', 0}, ValueType::String);
  auto dm = start();
  EXPECT_EQ(errors(), 1);
  EXPECT_NE(problems[0].message.find("not binary"), std::string::npos);
  EXPECT_EQ(readWideFieldUtf8(dm->FProfileSettingGroup.ProfileSettingList[0].FileName),
            "QORProfile1.PFX");  // factory values in memory
  RegistryValue v;
  ASSERT_TRUE(
      registry->readValue(RootKey::CurrentUser, kKey, "QOR51ProfileSettingGroup.PFX", v).isOk());
  EXPECT_EQ(v.type, ValueType::String);
}

TEST_F(DataModuleTest, CorruptDatabaseIsReportedAndLeftAsItIs) {
  registry.reset();
  Bytes junk(4096);
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = uint8_t(i * 31 + 7);
  test::writeBytes(dir / "user.db", junk);
  registry = makeRegistry();
  auto dm = start();
  EXPECT_GE(errors(), 2);
  EXPECT_NE(problems[0].message.find((dir / "user.db").string()), std::string::npos);
  EXPECT_EQ(dm->FProfileIndex, 0);
  EXPECT_EQ(test::readBytes(slotFile(1)), factoryProfile());  // files still work
  EXPECT_FALSE(dm->SaveAllProfileData());
  registry.reset();
  EXPECT_EQ(test::readBytes(dir / "user.db"), junk);
}

TEST_F(DataModuleTest, MissingDocumentsFolderIsReportedWithoutACrash) {
  test::writeText(dir / "Documents", "a file where the folder should be");
  auto dm = start();
  EXPECT_FALSE(problems.empty());
  EXPECT_EQ(dm->FProfileIndex, 0);
  EXPECT_EQ(test::imageOf(dm->FCurrentProfileInfo), factoryProfile());
  EXPECT_EQ(value("QOR51PROFILE.PFX").size(), 30960u);  // the registry still works
}

TEST_F(DataModuleTest, ResetKeepsCarriedBytesAndClearsTheMacroCount) {
  auto dm = start();
  TMOUSEPROFILEINFO& p = dm->FCurrentProfileInfo;
  p.MacroKeyInfoList.nMacroInfoCount = 3;
  p.MacroKeyInfoList.MacroInfos[2].MacroListCount = 7;
  p.ConfigInfo.ButtonFuncInfo[3].FunctionCode = 15;
  p.ConfigInfo.ButtonFuncInfo[3].ComboKeyInfo.nKeyValue1 = 67;
  p.FunctionList.FunctionInfo[5] = 0x42;
  dm->SaveBackToCurrentProfileInfo();
  dm->RestoreCurrentProfileInfoToDefault();
  EXPECT_EQ(p.MacroKeyInfoList.nMacroInfoCount, 0);
  EXPECT_EQ(p.MacroKeyInfoList.MacroInfos[2].MacroListCount, 7);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[3].FunctionCode, 5);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[3].MenuItemID, 4);
  EXPECT_EQ(p.ConfigInfo.ButtonFuncInfo[3].ComboKeyInfo.nKeyValue1, 0);
  EXPECT_EQ(p.FunctionList.FunctionInfo[5], 0x42);
}

TEST_F(DataModuleTest, ImportRefusesWrongVersionsAndSizes) {
  auto dm = start();
  const Bytes before = test::imageOf(dm->FCurrentProfileInfo);
  Bytes v257 = factoryProfile();
  test::put32(v257, 0, 257);
  Bytes cut = factoryProfile();
  cut.resize(5000);
  struct Case {
    const char* name;
    Bytes data;
    ProfileFileCheck::Verdict verdict;
  } cases[] = {
      {"empty.PFX", {}, ProfileFileCheck::Verdict::VersionIncorrect},
      {"v257.PFX", v257, ProfileFileCheck::Verdict::VersionIncorrect},
      {"cut.PFX", cut, ProfileFileCheck::Verdict::WrongSize},
  };
  for (const Case& c : cases) {
    test::writeBytes(dir / c.name, c.data);
    EXPECT_EQ(ImportProfileFile(*dm, (dir / c.name).string()).verdict, c.verdict) << c.name;
    EXPECT_EQ(test::imageOf(dm->FCurrentProfileInfo), before) << c.name;
  }
  int notices = 0;
  dm->OnMainFormUpdate = [&] { ++notices; };
  Bytes good = factoryProfile();
  test::put16(good, kReportRate, 250);
  test::writeBytes(dir / "good.PFX", good);
  EXPECT_EQ(ImportProfileFile(*dm, (dir / "good.PFX").string()).verdict,
            ProfileFileCheck::Verdict::Ok);
  EXPECT_EQ(dm->FCurrentProfileInfo.ConfigInfo.ReportRate, 250);
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(test::u16At(value("QORProfile1.PFX"), kReportRate), 250);
}

}  // namespace
}  // namespace qor
