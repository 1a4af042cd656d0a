// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "model/profile_store.h"
#include "platform/linux/sqlite_registry.h"
#include "test_support/bytes.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

using test::Bytes;
namespace fs = std::filesystem;

class ProfileStoreTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  SqliteRegistry registry{dir / "user.db", dir / "machine.db"};

  // A store set up the way the data module sets up its stores.
  TuiProfile& store(TuiProfile& s, const std::string& name = "QORProfile1.PFX") {
    s.SetRootKey(RootKey::CurrentUser);
    s.SetKeyPath("software\\QOR51GMMouse");
    s.SetFileName(name);
    s.SetFilePath(dir.path().string());
    return s;
  }
  static Bytes pattern(std::size_t n, uint8_t seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = uint8_t(seed + i * 7);
    return b;
  }
};

TEST_F(ProfileStoreTest, WriteAndReadFollowTheStreamRules) {
  TuiProfile s(registry);
  const Bytes big = pattern(109888, 1);
  EXPECT_EQ(s.Write(big.data(), int(big.size())), 109888);
  EXPECT_EQ(s.Size(), 109888);
  const Bytes small = pattern(30960, 9);
  s.Write(small.data(), int(small.size()));  // writes the start, never shrinks
  EXPECT_EQ(s.Size(), 109888);
  Bytes out(109888, 0xEE);
  EXPECT_EQ(s.Read(out.data(), int(out.size())), 109888);
  EXPECT_TRUE(std::equal(small.begin(), small.end(), out.begin()));
  EXPECT_EQ(out[30960], big[30960]);
  s.SetSize(10);  // resizing keeps the start
  Bytes ten(20, 0xEE);
  EXPECT_EQ(s.Read(ten.data(), 20), 10);
  EXPECT_EQ(ten[9], small[9]);
  EXPECT_EQ(ten[10], 0xEE);  // the rest of the buffer is left as it was
}

TEST_F(ProfileStoreTest, FileRoundTripIsExactAndAtomic) {
  TuiProfile a(registry), b(registry);
  const Bytes image = pattern(109888, 3);
  store(a).Write(image.data(), int(image.size()));
  ASSERT_TRUE(a.SaveStreamToFile());
  EXPECT_EQ(fs::file_size(dir / "QORProfile1.PFX"), 109888u);
  ASSERT_TRUE(store(b).LoadStreamFromFile());
  EXPECT_EQ(b.StreamBytes(), image);
  // No temporary file is left beside the profile.
  int entries = 0;
  for (auto& e : fs::directory_iterator(dir.path())) entries += e.path().extension() == ".PFX";
  EXPECT_EQ(entries, 1);
}

TEST_F(ProfileStoreTest, RegistryValueOfAnyLengthReplacesTheStream) {
  TuiProfile writer(registry), reader(registry);
  const Bytes hundred = pattern(100, 5);
  store(writer).Write(hundred.data(), 100);
  ASSERT_TRUE(writer.SaveStreamToRegistry());
  const Bytes full = pattern(109888, 7);
  store(reader).Write(full.data(), int(full.size()));
  ASSERT_TRUE(reader.LoadStreamFromRegistry());
  EXPECT_EQ(reader.StreamBytes().size(), 100u);
  Bytes record(109888, 0x11);
  EXPECT_EQ(reader.Read(record.data(), int(record.size())), 100);
  EXPECT_TRUE(std::equal(hundred.begin(), hundred.end(), record.begin()));
  EXPECT_EQ(record[100], 0x11);
}

TEST_F(ProfileStoreTest, MissingThingsReportFalseWithoutAnError) {
  TuiProfile s(registry);
  const Bytes image = pattern(64, 1);
  store(s, "absent.PFX").Write(image.data(), 64);
  EXPECT_FALSE(s.LoadStreamFromRegistry());
  EXPECT_FALSE(s.LastError());
  EXPECT_FALSE(s.LoadStreamFromFile());
  EXPECT_FALSE(s.LoadStreamFromFile((dir / "nothing.PFX").string()));
  EXPECT_FALSE(s.LastError());
  EXPECT_EQ(s.StreamBytes(), image);

  TuiProfile noRoot(registry);
  noRoot.SetKeyPath("k");
  noRoot.SetFileName("v");
  EXPECT_FALSE(noRoot.SaveStreamToRegistry());  // root key 0 is not served
  TuiProfile noName(registry);
  noName.SetRootKey(RootKey::CurrentUser);
  noName.SetKeyPath("k");
  EXPECT_FALSE(noName.SaveStreamToRegistry());
}

TEST_F(ProfileStoreTest, FilePathSetterTakesOnlyExistingFolders) {
  TuiProfile s(registry);
  fs::create_directory(dir / "a");
  s.SetFilePath((dir / "a").string());
  EXPECT_EQ(s.FilePath(), (dir / "a").string() + "/");
  s.SetFilePath((dir / "missing").string());
  EXPECT_EQ(s.FilePath(), (dir / "a").string() + "/");
}

TEST_F(ProfileStoreTest, EmptyFilePathNeverFallsBackToTheWorkingFolder) {
  const fs::path old = fs::current_path();
  fs::current_path(dir.path());
  test::writeBytes(dir / "QORProfile1.PFX", Bytes(10, 1));
  TuiProfile s(registry);
  s.SetFileName("QORProfile1.PFX");
  EXPECT_FALSE(s.LoadStreamFromFile());
  EXPECT_FALSE(s.SaveStreamToFile());
  fs::current_path(old);
  EXPECT_EQ(test::readBytes(dir / "QORProfile1.PFX"), Bytes(10, 1));
}

TEST_F(ProfileStoreTest, SaveWithPathCreatesOneFolderLevel) {
  TuiProfile s(registry);
  s.Write(Bytes(8, 2).data(), 8);
  EXPECT_TRUE(s.SaveStreamToFile((dir / "new" / "p.PFX").string()));
  EXPECT_TRUE(fs::exists(dir / "new" / "p.PFX"));
  EXPECT_FALSE(s.SaveStreamToFile((dir / "x" / "y" / "p.PFX").string()));
  ASSERT_TRUE(s.LastError());
  EXPECT_NE(s.LastError()->find((dir / "x" / "y").string()), std::string::npos);
  EXPECT_TRUE(s.PreSaveStreamToFile((dir / "other" / "q.PFX").string()));
  EXPECT_EQ(s.FilePath(), (dir / "other").string() + "/");
  EXPECT_EQ(s.FileName(), "q.PFX");
}

TEST_F(ProfileStoreTest, LayerFailuresAreReportedAndLeaveStreamAndFileAlone) {
  TuiProfile s(registry);
  const Bytes image = pattern(32, 4);
  store(s).Write(image.data(), 32);
  // A folder where the file should be: neither load nor save can use it.
  fs::create_directory(dir / "QORProfile1.PFX");
  EXPECT_FALSE(s.SaveStreamToFile());
  ASSERT_TRUE(s.LastError());
  EXPECT_NE(s.LastError()->find("QORProfile1.PFX"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(dir / "QORProfile1.PFX"));
  // A file far larger than any record is refused, not read into memory.
  test::writeBytes(dir / "huge.PFX", {});
  fs::resize_file(dir / "huge.PFX", 200u * 1024 * 1024);
  EXPECT_FALSE(s.LoadStreamFromFile((dir / "huge.PFX").string()));
  ASSERT_TRUE(s.LastError());
  EXPECT_NE(s.LastError()->find("too large"), std::string::npos);
  EXPECT_EQ(s.StreamBytes(), image);
  // A registry value of another type is an error, not a record.
  registry.writeValue(RootKey::CurrentUser, "software\\QOR51GMMouse", "QORProfile1.PFX",
                      {ValueType::String, {'h', 0, 'i', 0}});
  EXPECT_FALSE(s.LoadStreamFromRegistry());
  ASSERT_TRUE(s.LastError());
  EXPECT_NE(s.LastError()->find("not binary"), std::string::npos);
  EXPECT_EQ(s.StreamBytes(), image);
}

TEST_F(ProfileStoreTest, EventsCanCancelAndRestoreNeedsAHandler) {
  TuiProfile s(registry);
  store(s).Write(Bytes(4, 9).data(), 4);
  s.RestoreToDefault();  // no handler: nothing happens
  EXPECT_EQ(s.StreamBytes(), Bytes(4, 9));
  int after = 0;
  s.OnBeforeSaveToFile = [](TuiProfile::Stream&, bool& go) { go = false; };
  s.OnAfterLoadFromFile = [&](TuiProfile::Stream&) { ++after; };
  EXPECT_FALSE(s.SaveStreamToFile());
  EXPECT_FALSE(fs::exists(dir / "QORProfile1.PFX"));
  test::writeBytes(dir / "QORProfile1.PFX", Bytes(3, 1));
  EXPECT_TRUE(s.LoadStreamFromFile());
  EXPECT_EQ(after, 1);
  s.OnRestoreToDefault = [](TuiProfile::Stream& st) { st.assign(2, 7); };
  s.RestoreToDefault();
  EXPECT_EQ(s.StreamBytes(), Bytes(2, 7));
}

}  // namespace
}  // namespace qor
