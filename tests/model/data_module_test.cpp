// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
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
  std::unique_ptr<TDM> start() { return startIn(docs, dir / "fallback"); }
  std::unique_ptr<TDM> startIn(const fs::path& documents, const fs::path& fallback) {
    problems.clear();
    return std::make_unique<TDM>(
        DataModuleEnvironment{*registry, documents, dir / "program", fallback},
        [this](const StoreProblem& p) { problems.push_back(p); });
  }
  bool told(const std::string& text) const {
    return std::any_of(problems.begin(), problems.end(),
                       [&](auto& p) { return p.message.find(text) != std::string::npos; });
  }
  // Slot i (0-based) of the stored group record kept in the registry with `kind`.
  void storeSlotKind(int i, uint8_t kind) {
    Bytes group = value("QOR51ProfileSettingGroup.PFX");
    group[12 + std::size_t(i) * 6190 + 6188] = kind;
    putValue("QOR51ProfileSettingGroup.PFX", group);
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

TEST_F(DataModuleTest, OpenedToReadOnlyItWritesNothingAndShowsWhatIsStored) {
  const auto readOnlyStart = [&] {
    problems.clear();
    registry = std::make_unique<SqliteRegistry>(dir / "user.db", dir / "machine.db",
                                                SqliteRegistry::Mode::ReadOnly);
    DataModuleEnvironment env{*registry, docs, dir / "program", dir / "fallback"};
    env.readOnly = true;
    return std::make_unique<TDM>(env, [this](const StoreProblem& p) { problems.push_back(p); });
  };
  {
    // Nothing stored: factory values in memory, no database, no folder, no file.
    auto dm = readOnlyStart();
    EXPECT_TRUE(problems.empty()) << (problems.empty() ? "" : problems[0].message);
    EXPECT_EQ(test::imageOf(dm->FCurrentProfileInfo), factoryProfile());
    EXPECT_FALSE(dm->SaveAllProfileData());
    EXPECT_TRUE(told("opened to read only"));
    EXPECT_FALSE(fs::exists(dir / "user.db"));
    EXPECT_FALSE(fs::exists(docs));
  }
  registry = makeRegistry();
  start();
  Bytes edited = factoryProfile();
  test::put16(edited, kReportRate, 1000);
  test::writeBytes(slotFile(1), edited);
  test::writeBytes(slotFile(3), Bytes(10, 0));  // no profile of this version
  fs::remove(slotFile(4));
  registry.reset();  // the last connection gone: the database is read as it stands
  auto dm = readOnlyStart();
  EXPECT_EQ(dm->FCurrentProfileInfo.ConfigInfo.ReportRate, 1000);
  EXPECT_TRUE(told("profile 3"));  // reported, but the file stays where it is
  EXPECT_EQ(test::readBytes(slotFile(3)), Bytes(10, 0));
  EXPECT_FALSE(fs::exists(slotFile(3).string() + ".damaged"));
  EXPECT_FALSE(fs::exists(slotFile(4)));
  EXPECT_FALSE(fs::exists(dir / "user.db-wal"));
  EXPECT_FALSE(fs::exists(dir / "user.db-shm"));
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
  // Saving another all-profiles setting, or working on a profile, keeps the recorded one.
  ASSERT_TRUE(dm->OpenProfile(4));
  dm->FAllProfileSettingInfo.CurrentLanguage = 1;
  ASSERT_TRUE(dm->SaveBackAllProfileSettingInfo());
  EXPECT_EQ(test::i32At(value("QOR51PROFILE.PFX"), 30952), 2);
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

TEST_F(DataModuleTest, UnusableStorageSettingsAreRepairedWithoutTouchingFiles) {
  const Bytes factoryGroup = [&] {
    start();
    return value("QOR51ProfileSettingGroup.PFX");
  }();
  Bytes relative = factoryGroup, kind7 = factoryGroup, slashName = factoryGroup;
  test::putWide(relative, 12 + 2 * 6190 + 2, std::string("Documents/elsewhere", 20));
  kind7[12 + 3 * 6190 + 6188] = 7;
  test::putWide(slashName, 12 + 4 * 6190 + 4098, std::string("../QORProfile5.PFX", 19));
  struct Case {
    const char* name;
    Bytes group;
    const char* says;
  } cases[] = {
      {"zero record", Bytes(30964, 0), "file name \"\""},
      {"relative folder", relative, "not an absolute path"},
      {"storage kind 7", kind7, "storage kind 7"},
      {"name with a folder", slashName, "../QORProfile5.PFX"},
  };
  Bytes edited = factoryProfile();
  test::put16(edited, kReportRate, 1000);
  for (const Case& c : cases) {
    for (int i = 1; i <= 5; ++i) test::writeBytes(slotFile(i), edited);
    putValue("QOR51ProfileSettingGroup.PFX", c.group);
    auto dm = start();
    EXPECT_TRUE(told(c.says)) << c.name;
    EXPECT_EQ(errors(), 0) << c.name;
    const Bytes group = value("QOR51ProfileSettingGroup.PFX");
    EXPECT_EQ(Bytes(group.begin() + 12, group.end()),
              Bytes(factoryGroup.begin() + 12, factoryGroup.end()))
        << c.name;  // the storage settings; the group choice is the record's own
    EXPECT_EQ(dm->FCurrentProfileInfo.ConfigInfo.ReportRate, 1000) << c.name;
    ASSERT_TRUE(dm->SaveAllProfileData()) << c.name;
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(test::readBytes(slotFile(i)), edited) << c.name << i;
  }
}

TEST_F(DataModuleTest, ADocumentsFolderThatCannotBeStoredIsRefusedAtStart) {
  const fs::path fallback = dir / "fallback";
  struct Case {
    const char* name;
    fs::path documents;
    const char* says;
  } cases[] = {
      {"relative", "Documents", "not an absolute path"},
      {"too long", dir / std::string(990, 'd'), "longer than the 985 characters"},
      {"not UTF-8", dir / "Dokumente-\xe4", "is not UTF-8 text"},  // a Latin-1 name
  };
  for (const Case& c : cases) {
    registry.reset();
    fs::remove(dir / "user.db");
    registry = makeRegistry();
    auto dm = startIn(c.documents, fallback);
    EXPECT_TRUE(told(c.says)) << c.name;
    EXPECT_TRUE(told("XDG_DOCUMENTS_DIR")) << c.name;
    const Bytes group = value("QOR51ProfileSettingGroup.PFX");
    EXPECT_EQ(test::wideAt(group, 12 + 2, 1024), (fallback / "Tessaly Gaming Mouse").string());
    dm->FCurrentProfileInfo.ConfigInfo.ReportRate = 250;
    ASSERT_TRUE(dm->SaveAllProfileData()) << c.name;
    const fs::path file = fallback / "Tessaly Gaming Mouse" / "QORProfile1.PFX";
    EXPECT_EQ(test::u16At(test::readBytes(file), kReportRate), 250) << c.name;
  }
  // Neither folder fits: the profiles live in the registry; the group record is not stored.
  registry.reset();
  fs::remove(dir / "user.db");
  registry = makeRegistry();
  auto dm = startIn("Documents", "fallback");
  EXPECT_GE(errors(), 1);
  RegistryValue v;
  EXPECT_EQ(
      registry->readValue(RootKey::CurrentUser, kKey, "QOR51ProfileSettingGroup.PFX", v).status,
      RegistryResult::Status::NotFound);
  dm->FCurrentProfileInfo.ConfigInfo.ReportRate = 125;
  EXPECT_FALSE(dm->SaveAllProfileData());
  EXPECT_EQ(test::u16At(value("QORProfile1.PFX"), kReportRate), 125);
}

TEST_F(DataModuleTest, ARegistrySlotThatFailsToLoadIsNeverSavedOver) {
  start();
  storeSlotKind(1, 0);  // slot 2 kept in the registry
  struct Case {
    const char* name;
    RegistryValue stored;
    const char* says;
  } cases[] = {
      {"another type", {ValueType::String, {'x', 0}}, "not binary"},
      {"another version", {ValueType::Binary, Bytes(109888, 0)}, "not a profile of this version"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(
        registry->writeValue(RootKey::CurrentUser, kKey, "QORProfile2.PFX", c.stored).isOk());
    auto dm = start();
    EXPECT_EQ(errors(), 1) << c.name;
    EXPECT_TRUE(told(c.says)) << c.name;
    TMOUSEPROFILEINFO slot2{};
    dm->ReadProfileInfo(slot2, 1);
    EXPECT_EQ(test::imageOf(slot2), factoryProfile()) << c.name;  // in memory only
    EXPECT_FALSE(dm->SaveAllProfileData()) << c.name;
    ASSERT_EQ(errors(), 2) << c.name;  // the reasons of the whole save come as one problem
    EXPECT_TRUE(problems.back().message.find("profile 2 is not saved") != std::string::npos);
    RegistryValue after;
    ASSERT_TRUE(registry->readValue(RootKey::CurrentUser, kKey, "QORProfile2.PFX", after).isOk());
    EXPECT_EQ(after.type, c.stored.type) << c.name;
    EXPECT_EQ(after.data, c.stored.data) << c.name;
  }
}

TEST_F(DataModuleTest, ASaveNeverWritesAnImageThatIsNoProfile) {
  auto dm = start();
  const TMOUSEPROFILEINFO zero{};
  dm->SaveBackToProfileInfo(zero, 2);
  EXPECT_FALSE(dm->SaveAllProfileData());
  EXPECT_TRUE(told("profile 3 holds no profile of this version"));
  EXPECT_EQ(test::readBytes(slotFile(3)), factoryProfile());
  RegistryValue v;  // never saved to the registry either
  EXPECT_EQ(registry->readValue(RootKey::CurrentUser, kKey, "QORProfile3.PFX", v).status,
            RegistryResult::Status::NotFound);
}

// Runs `body` in a child process with an ordinary user's rights, so that file modes hold
// even when the tests run as root. Returns the child's exit status.
int asOrdinaryUser(const fs::path& tree, const std::function<int()>& body) {
  const bool root = ::geteuid() == 0;
  if (root)
    for (const auto& e : fs::recursive_directory_iterator(tree))
      if (::lchown(e.path().c_str(), 65534, 65534) != 0) return 100;
  if (root && ::chown(tree.c_str(), 65534, 65534) != 0) return 100;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (root && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
      ::_exit(101);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 102;
}

TEST_F(DataModuleTest, AnUnreadableSlotFileThatCannotBeMovedGetsFactoryValuesInMemoryOnly) {
  start();
  Bytes edited = factoryProfile();
  test::put16(edited, kReportRate, 1000);
  test::writeBytes(slotFile(1), edited);
  registry.reset();
  ::chmod(slotFile(1).c_str(), 0);
  ::chmod(folder.c_str(), 0555);
  const int status = asOrdinaryUser(dir.path(), [&] {
    registry = makeRegistry();
    auto dm = start();
    if (!told("could not be moved aside")) return 1;
    if (test::imageOf(dm->FCurrentProfileInfo) != factoryProfile()) return 2;
    if (dm->SaveAllProfileData()) return 3;
    if (!told("profile 1 is not saved")) return 4;
    return 0;
  });
  ::chmod(folder.c_str(), 0755);
  ::chmod(slotFile(1).c_str(), 0644);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(test::readBytes(slotFile(1)), edited);
}

TEST_F(DataModuleTest, ConfigIniIsFoundWhateverTheCaseOfItsName) {
  fs::create_directories(dir / "program");
  test::writeText(dir / "program" / "Config.INI", "[Modal_SN]\nSN1=OTHER1\n");
  auto dm = start();
  EXPECT_EQ(dm->GetModalLayoutByModalNumber("OTHER1"), "IMAGES\\LAYOUT1.PNG");
}

}  // namespace
}  // namespace qor
