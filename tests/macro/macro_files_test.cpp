// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "macro/macro_files.h"
#include "macro/macro_model.h"
#include "macro_test_support.h"
#include "test_support/bytes.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using test::Bytes;
using test::down;
using test::macroOf;
using test::up;
namespace fs = std::filesystem;

TMACROKEYINFOLIST listOf(std::initializer_list<TMACROKEYINFO> macros) {
  TMACROKEYINFOLIST list{};
  for (const TMACROKEYINFO& m : macros) list.MacroInfos[list.nMacroInfoCount++] = m;
  return list;
}

std::vector<std::string> filesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(MacroFiles, AFileHoldsTheRecordByteForByte) {
  test::TempDir dir;
  TMACROKEYINFO m = macroOf(u"Reload", {down('R'), test::delay(0x0102), up('R')});
  m.MacroList[3] = TMACROKEY{9, 9, 9, 9};  // a slot past the count is written as it is
  m.nAutoAddDelay = 1;
  m.nLoopCount = 5;
  m.HaveErrors = 1;
  m.ErrorCount = 2;
  ASSERT_EQ(SaveMacroKeyInfoListToMacroFiles(listOf({m}), dir.path().string()), std::nullopt);

  const Bytes b = test::readBytes(dir / "Reload.macro");
  ASSERT_EQ(b.size(), 892u);
  EXPECT_EQ(Bytes(b.begin(), b.begin() + 24),
            (Bytes{4, 0, 1, 0, 'R', 0, 6, 0, 0, 0, 2, 1, 4, 0, 0, 0, 'R', 0, 9, 0, 9, 0, 9, 9}));
  EXPECT_EQ(Bytes(b.begin() + 768, b.begin() + 780), (Bytes{3, 0, 0, 0, 1, 0, 5, 0, 0, 0, 0, 0}));
  EXPECT_EQ(test::wideAt(b, 780, 50), "Reload");
  EXPECT_EQ(test::u16At(b, 780 + 12), 0);  // terminator
  EXPECT_EQ(test::i32At(b, 880), 0);       // a macro made in the editor has version 0
  EXPECT_EQ(test::i32At(b, 884), 1);
  EXPECT_EQ(test::i32At(b, 888), 2);
}

TEST(MacroFiles, EveryMacroGetsItsFileNamedAfterIt) {
  test::TempDir dir;
  const std::u16string fifty(50, u'z');
  const auto list = listOf({macroOf(u"with spaces", {}), macroOf(fifty, {}), macroOf(u"..", {}),
                            macroOf(u"Grüße", {}), macroOf(u"twice", {down('A')}),
                            macroOf(u"twice", {down('B')})});
  // The folder is created, one level, and the separator is added only when missing.
  for (const std::string folder : {"macros", "macros/"}) {
    ASSERT_EQ(SaveMacroKeyInfoListToMacroFiles(list, (dir / folder).string()), std::nullopt);
  }
  EXPECT_EQ(filesIn(dir / "macros"),
            (std::vector<std::string>{"...macro", "Grüße.macro", "twice.macro", "with spaces.macro",
                                      std::string(50, 'z') + ".macro"}));
  EXPECT_EQ(test::readBytes(dir / "macros" / "twice.macro")[4], 'B');  // the later one wins
  EXPECT_EQ(MacroFileName("/p1", u"Reload"), "/p1/Reload.macro");
  EXPECT_EQ(MacroFileName("/p1/", u"Reload"), "/p1/Reload.macro");
}

TEST(MacroFiles, NothingToWriteOrNowhereToWriteWritesNothing) {
  test::TempDir dir;
  EXPECT_EQ(SaveMacroKeyInfoListToMacroFiles(listOf({}), (dir / "new").string()), std::nullopt);
  EXPECT_FALSE(fs::exists(dir / "new"));

  const auto one = listOf({macroOf(u"A", {})});
  EXPECT_NE(SaveMacroKeyInfoListToMacroFiles(one, ""), std::nullopt);
  auto error = SaveMacroKeyInfoListToMacroFiles(one, (dir / "no" / "such").string());
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("cannot create the macro folder"), std::string::npos) << *error;
  EXPECT_FALSE(fs::exists(dir / "no"));

  TMACROKEYINFOLIST tooMany{};
  tooMany.nMacroInfoCount = 22;
  EXPECT_NE(SaveMacroKeyInfoListToMacroFiles(tooMany, dir.path().string()), std::nullopt);
  EXPECT_TRUE(filesIn(dir.path()).empty());
}

TEST(MacroFiles, ANameThatIsNoFileNameIsRefusedAndTheOthersAreWritten) {
  test::TempDir dir;
  fs::create_directory(dir / "m");
  const auto list = listOf(
      {macroOf(u"A", {}), macroOf(u"../../escape", {}), macroOf(u"a/b", {}), macroOf(u"B", {})});
  auto error = SaveMacroKeyInfoListToMacroFiles(list, (dir / "m").string());
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("macro \"../../escape\""), std::string::npos) << *error;
  EXPECT_NE(error->find("macro \"a/b\""), std::string::npos) << *error;
  EXPECT_EQ(filesIn(dir / "m"), (std::vector<std::string>{"A.macro", "B.macro"}));
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"m"});
}

TEST(MacroFiles, AFileThatCannotBeWrittenEndsTheRun) {
  test::TempDir dir;
  fs::create_directories(dir / "B.macro");  // a folder where the file should go
  const auto list = listOf({macroOf(u"A", {}), macroOf(u"B", {}), macroOf(u"C", {})});
  auto error = SaveMacroKeyInfoListToMacroFiles(list, dir.path().string());
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("B.macro"), std::string::npos) << *error;
  EXPECT_TRUE(fs::exists(dir / "A.macro"));
  EXPECT_FALSE(fs::exists(dir / "C.macro"));
}

TEST(MacroFiles, LoadingFillsAsMuchOfTheRecordAsTheFileHolds) {
  test::TempDir dir;
  TMACROKEYINFO record{};
  record.Version = 77;
  std::memset(&record, 0xAB, 200);

  EXPECT_FALSE(LoadMacroFromFile((dir / "missing.macro").string(), record));
  EXPECT_EQ(record.Version, 77u);

  test::writeBytes(dir / "short.macro", Bytes(100, 0x11));
  ASSERT_TRUE(LoadMacroFromFile((dir / "short.macro").string(), record));
  const Bytes image = test::imageOf(record);
  EXPECT_EQ(image[99], 0x11);
  EXPECT_EQ(image[100], 0xAB);
  EXPECT_EQ(record.Version, 77u);
  EXPECT_FALSE(IsValidMacroVersion(record));

  Bytes longer(1000, 0);
  test::put32(longer, 880, 258);
  test::put32(longer, 892, 0xFFFFFFFF);  // past the record: ignored
  test::writeBytes(dir / "long.macro", longer);
  ASSERT_TRUE(LoadMacroFromFile((dir / "long.macro").string(), record));
  EXPECT_TRUE(IsValidMacroVersion(record));
  EXPECT_EQ(test::imageOf(record)[0], 0);

  fs::create_directory(dir / "folder.macro");
  std::string why;
  EXPECT_FALSE(LoadMacroFromFile((dir / "folder.macro").string(), record, &why));
  EXPECT_NE(why.find("folder.macro"), std::string::npos) << why;
}

TEST(MacroFiles, TheEmptyMacroFileOfANewName) {
  test::TempDir dir;
  const std::string folder = (dir / "p1").string();
  const std::u16string sixty = std::u16string(50, u'a') + std::u16string(10, u'b');
  // The dialog returns the name as it was stored.
  EXPECT_EQ(CutMacroName(sixty), std::u16string(50, u'a'));
  EXPECT_EQ(CutMacroName(std::u16string(49, u'a') + u"😀"), std::u16string(49, u'a'));
  ASSERT_EQ(SaveEmptyMacroFile(sixty, folder), std::nullopt);
  const Bytes b = test::readBytes(dir / "p1" / (std::string(50, 'a') + ".macro"));
  Bytes expected(892, 0);
  test::putWide(expected, 780, std::string(50, 'a'));
  test::put32(expected, 880, 258);
  EXPECT_EQ(b, expected);

  ASSERT_EQ(SaveEmptyMacroFile(u"", folder), std::nullopt);
  EXPECT_EQ(test::readBytes(dir / "p1" / ".macro").size(), 892u);

  // The file of an existing macro of that name survives.
  const auto existing = listOf({macroOf(u"Reload", {down('R'), up('R')})});
  ASSERT_EQ(SaveMacroKeyInfoListToMacroFiles(existing, folder), std::nullopt);
  ASSERT_EQ(SaveEmptyMacroFile(u"Reload", folder), std::nullopt);
  EXPECT_EQ(test::i32At(test::readBytes(dir / "p1" / "Reload.macro"), 768), 2);

  EXPECT_NE(SaveEmptyMacroFile(u"x/y", folder), std::nullopt);
  EXPECT_NE(SaveEmptyMacroFile(u"x", ""), std::nullopt);
}

}  // namespace
}  // namespace qor
