// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/sqlite_registry.h"

#include <grp.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "test_support/temp_dir.h"

namespace qor {
namespace {

namespace fs = std::filesystem;
using Status = RegistryResult::Status;

constexpr RootKey kUser = RootKey::CurrentUser;
constexpr RootKey kMachine = RootKey::LocalMachine;

std::vector<uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

// UTF-16LE with the terminating NUL, as string values are stored.
std::vector<uint8_t> wide(std::string_view text) {
  std::vector<uint8_t> out;
  for (char c : text) out.insert(out.end(), {static_cast<uint8_t>(c), 0});
  out.insert(out.end(), {0, 0});
  return out;
}

std::vector<uint8_t> pattern(size_t size) {
  std::vector<uint8_t> out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return out;
}

void runSql(const fs::path& file, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

testing::AssertionResult mentions(const std::string& message, const std::string& part) {
  if (message.find(part) != std::string::npos) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "\"" << message << "\" does not mention \"" << part << "\"";
}

RegistryValue binary(std::vector<uint8_t> data) {
  return {ValueType::Binary, std::move(data)};
}

// Runs `body` where permission bits are enforced. Root ignores them, so as root `tree` is
// handed to `nobody` and `body` runs in a child process that became `nobody`.
void withPermissionsEnforced(const fs::path& tree, const std::function<void()>& body) {
  if (geteuid() != 0) {
    body();
    return;
  }
  constexpr uid_t kNobody = 65534;
  ASSERT_EQ(lchown(tree.c_str(), kNobody, kNobody), 0);
  for (const auto& entry : fs::recursive_directory_iterator(tree))
    ASSERT_EQ(lchown(entry.path().c_str(), kNobody, kNobody), 0);
  std::fflush(nullptr);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(77);
    body();
    std::fflush(nullptr);
    _exit(testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become nobody";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "checks in the unprivileged child failed (see above)";
}

class SqliteRegistryTest : public testing::Test {
 protected:
  SqliteRegistryTest() { fs::create_directories(machineDb.parent_path()); }

  test::TempDir scratch;
  fs::path userDb = scratch.path() / "config" / "qorcfg51" / "registry.db";
  fs::path machineDb = scratch.path() / "machine" / "registry.db";
};

TEST_F(SqliteRegistryTest, ValuesKeepTypeAndDataAcrossReopening) {
  struct Case {
    std::string_view name;
    RegistryValue value;
  };
  const std::vector<Case> cases = {
      {"QOR51PROFILE.PFX", binary({0x00, 0xFF, 0x51, 0x00, 0x80})},
      {"Empty", binary({})},
      // The key's default value; an empty view may have a null data pointer.
      {std::string_view(), {ValueType::String, wide("default value")}},
      {"Path", {ValueType::ExpandString, wide("%HOME%\\x")}},
      {"Dpi", {ValueType::DWord, {0x20, 0x03, 0, 0}}},
      {"Stamp", {ValueType::QWord, {1, 2, 3, 4, 5, 6, 7, 8}}},
      {"List", {ValueType::MultiString, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}}},
      {"Marker", {ValueType::None, {}}},
  };
  {
    SqliteRegistry registry(userDb, machineDb);
    for (const Case& c : cases) {
      EXPECT_TRUE(registry.writeValue(kUser, "Software\\QOR51GMMouse", c.name, c.value).isOk());
      EXPECT_TRUE(registry.writeValue(kMachine, "Software\\QOR51GMMouse", c.name, c.value).isOk());
    }
  }
  SqliteRegistry registry(userDb, machineDb);
  for (RootKey root : {kUser, kMachine}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name));
      RegistryValue out;
      ASSERT_TRUE(registry.readValue(root, "Software\\QOR51GMMouse", c.name, out).isOk());
      EXPECT_EQ(out.type, c.value.type);
      EXPECT_EQ(out.data, c.value.data);
    }
  }
}

TEST_F(SqliteRegistryTest, LargeValueRoundTrips) {
  const RegistryValue big = binary(pattern(110 * 1024));
  ASSERT_TRUE(SqliteRegistry(userDb, machineDb)
                  .writeValue(kUser, "Software\\QOR51GMMouse", "QOR51PROFILE.PFX", big)
                  .isOk());
  RegistryValue out;
  ASSERT_TRUE(SqliteRegistry(userDb, machineDb)
                  .readValue(kUser, "Software\\QOR51GMMouse", "QOR51PROFILE.PFX", out)
                  .isOk());
  EXPECT_EQ(out.data, big.data);
}

TEST_F(SqliteRegistryTest, RootsAreSeparateDatabases) {
  SqliteRegistry registry(userDb, machineDb);
  ASSERT_TRUE(registry.writeValue(kUser, "Software\\Qor", "Only", binary({1})).isOk());
  RegistryValue out;
  EXPECT_EQ(registry.readValue(kMachine, "Software\\Qor", "Only", out).status, Status::NotFound);
  EXPECT_FALSE(fs::exists(machineDb));
}

TEST_F(SqliteRegistryTest, KeyPathsAndValueNamesIgnoreAsciiCase) {
  SqliteRegistry registry(userDb, machineDb);
  ASSERT_TRUE(
      registry.writeValue(kUser, "software\\QOR51GMMouse", "QOR51PROFILE.PFX", binary({1})).isOk());
  ASSERT_TRUE(registry.writeValue(kUser, "Software\\\xC3\x89mile", "x", binary({2})).isOk());

  struct Case {
    const char* key;
    const char* name;
    Status expected;
  };
  const Case cases[] = {
      {"SOFTWARE\\qor51gmmouse\\", "qor51profile.pfx", Status::Ok},
      {"\\\\Software\\\\\\QOR51GMMOUSE", "Qor51Profile.Pfx", Status::Ok},
      {"software\\QOR51GM", "QOR51PROFILE.PFX", Status::NotFound},
      {"software\\QOR51GMMouse\\Sub", "QOR51PROFILE.PFX", Status::NotFound},
      {"software", "QOR51PROFILE.PFX", Status::NotFound},
      {"software\\QOR51GMMouse", "QOR51PROFILE.PF", Status::NotFound},
      // Only ASCII letters fold: E-acute and e-acute are different names.
      {"software\\\xC3\xA9mile", "X", Status::NotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " / " + c.name);
    RegistryValue out;
    EXPECT_EQ(registry.readValue(kUser, c.key, c.name, out).status, c.expected);
  }

  // Another spelling addresses the same value rather than adding one.
  ASSERT_TRUE(
      registry.writeValue(kUser, "SOFTWARE\\QOR51GMMOUSE", "qor51profile.pfx", binary({9})).isOk());
  RegistryValue out;
  ASSERT_TRUE(registry.readValue(kUser, "software\\QOR51GMMouse", "QOR51PROFILE.PFX", out).isOk());
  EXPECT_EQ(out.data, std::vector<uint8_t>{9});
  EXPECT_TRUE(registry.deleteValue(kUser, "Software\\Qor51GmMouse", "Qor51Profile.pfx").isOk());
  EXPECT_EQ(registry.readValue(kUser, "software\\QOR51GMMouse", "QOR51PROFILE.PFX", out).status,
            Status::NotFound);
}

TEST_F(SqliteRegistryTest, OverwriteReplacesTypeAndDataInPlace) {
  SqliteRegistry registry(userDb, machineDb);
  ASSERT_TRUE(registry.writeValue(kUser, "Software\\Qor", "Dpi", binary({1, 2, 3})).isOk());
  ASSERT_TRUE(
      registry.writeValue(kUser, "Software\\Qor", "Dpi", {ValueType::DWord, {4, 0, 0, 0}}).isOk());
  RegistryValue out;
  ASSERT_TRUE(registry.readValue(kUser, "Software\\Qor", "Dpi", out).isOk());
  EXPECT_EQ(out.type, ValueType::DWord);
  EXPECT_EQ(out.data, (std::vector<uint8_t>{4, 0, 0, 0}));

  EXPECT_TRUE(registry.deleteValue(kUser, "Software\\Qor", "Dpi").isOk());
  EXPECT_EQ(registry.readValue(kUser, "Software\\Qor", "Dpi", out).status, Status::NotFound);
  EXPECT_EQ(registry.deleteValue(kUser, "Software\\Qor", "Dpi").status, Status::NotFound);
}

TEST_F(SqliteRegistryTest, MissingKeysAndValuesAreNotFound) {
  SqliteRegistry registry(userDb, machineDb);
  RegistryValue out = binary({42});
  // Without a database there is nothing to find, and looking creates nothing.
  EXPECT_EQ(registry.readValue(kUser, "Software\\Qor", "Dpi", out).status, Status::NotFound);
  EXPECT_EQ(registry.deleteValue(kUser, "Software\\Qor", "Dpi").status, Status::NotFound);
  EXPECT_FALSE(fs::exists(userDb.parent_path()));

  ASSERT_TRUE(registry.createKey(kUser, "Software\\Qor\\Profiles").isOk());
  ASSERT_TRUE(registry.writeValue(kUser, "Software\\Qor", "Dpi", binary({1})).isOk());
  EXPECT_EQ(registry.readValue(kUser, "Software\\Qor\\Profiles", "Dpi", out).status,
            Status::NotFound);
  EXPECT_EQ(registry.readValue(kUser, "Software\\Qor", "Rate", out).status, Status::NotFound);
  EXPECT_EQ(registry.readValue(kUser, "Software\\Other", "Dpi", out).status, Status::NotFound);
  EXPECT_EQ(registry.deleteValue(kUser, "Software\\Qor", "Rate").status, Status::NotFound);
  EXPECT_EQ(registry.deleteValue(kUser, "Software\\Other", "Dpi").status, Status::NotFound);
  EXPECT_EQ(out.data, std::vector<uint8_t>{42}) << "a failed read must leave `out` alone";
}

TEST_F(SqliteRegistryTest, InMemoryDatabasesServeBothRoots) {
  SqliteRegistry registry(":memory:", ":memory:");
  RegistryValue out;
  EXPECT_EQ(registry.readValue(kUser, "Software\\Qor", "Dpi", out).status, Status::NotFound);
  ASSERT_TRUE(registry.writeValue(kUser, "Software\\Qor", "Dpi", binary({1})).isOk());
  ASSERT_TRUE(registry.writeValue(kMachine, "Software\\Qor", "Dpi", binary({2})).isOk());
  ASSERT_TRUE(registry.readValue(kUser, "Software\\Qor", "Dpi", out).isOk());
  EXPECT_EQ(out.data, std::vector<uint8_t>{1});
  ASSERT_TRUE(registry.readValue(kMachine, "Software\\Qor", "Dpi", out).isOk());
  EXPECT_EQ(out.data, std::vector<uint8_t>{2});
  EXPECT_FALSE(fs::exists(":memory:"));
}

TEST_F(SqliteRegistryTest, UnsupportedRootsFail) {
  SqliteRegistry registry(userDb, machineDb);
  for (RootKey root : {RootKey::None, static_cast<RootKey>(0x80000003u)}) {
    RegistryValue out;
    for (const RegistryResult& r :
         {registry.createKey(root, "Software"), registry.readValue(root, "Software", "x", out),
          registry.writeValue(root, "Software", "x", binary({1})),
          registry.deleteValue(root, "Software", "x")}) {
      EXPECT_EQ(r.status, Status::Failed);
      EXPECT_TRUE(mentions(r.message, "unsupported registry root"));
    }
  }
}

TEST_F(SqliteRegistryTest, FirstWriteMakesAPrivateFolderAndAWalDatabase) {
  ASSERT_TRUE(SqliteRegistry(userDb, machineDb).createKey(kUser, "Software\\Qor").isOk());
  // Header bytes 18 and 19 are the file format's write and read versions; 2 means WAL, which
  // lets a monitor read while the configurator writes.
  std::vector<uint8_t> header = test::readBytes(userDb);
  ASSERT_GE(header.size(), 100u);
  EXPECT_EQ(header[18], 2);
  EXPECT_EQ(header[19], 2);
  for (const fs::path& dir : {userDb.parent_path(), userDb.parent_path().parent_path()}) {
    struct stat st {};
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << dir;
  }
}

TEST_F(SqliteRegistryTest, FolderThatCannotBeUsedFailsWithTheCause) {
  test::writeBytes(scratch.path() / "blocker", bytes("a file, not a folder"));
  struct Case {
    const char* label;
    RootKey root;
    fs::path userDb, machineDb;
    std::string cause;
  };
  const Case cases[] = {
      // The machine-wide folder belongs to the installer: never made here.
      {"machine folder missing", kMachine, userDb, scratch.path() / "nowhere" / "registry.db",
       "No such file or directory"},
      {"user folder blocked by a file", kUser, scratch.path() / "blocker" / "qor" / "registry.db",
       machineDb, "Not a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    SqliteRegistry registry(c.userDb, c.machineDb);
    const fs::path& db = c.root == kUser ? c.userDb : c.machineDb;
    for (const RegistryResult& r : {registry.createKey(c.root, "Software"),
                                    registry.writeValue(c.root, "Software", "x", binary({1}))}) {
      EXPECT_EQ(r.status, Status::Failed);
      EXPECT_TRUE(mentions(r.message, db.string()));
      EXPECT_TRUE(mentions(r.message, c.cause));
    }
    EXPECT_FALSE(fs::exists(db.parent_path()));
  }
}

TEST_F(SqliteRegistryTest, SecondInstanceSeesTheFirstOnesWrites) {
  SqliteRegistry first(userDb, machineDb);
  SqliteRegistry second(userDb, machineDb);
  RegistryValue out;
  for (uint8_t round = 1; round <= 3; ++round) {
    ASSERT_TRUE(first.writeValue(kUser, "Software\\Qor", "Dpi", binary({round})).isOk());
    ASSERT_TRUE(second.readValue(kUser, "software\\qor", "dpi", out).isOk());
    EXPECT_EQ(out.data, std::vector<uint8_t>{round});
  }
  ASSERT_TRUE(second.writeValue(kUser, "Software\\Qor", "Rate", binary({7})).isOk());
  ASSERT_TRUE(first.readValue(kUser, "Software\\Qor", "Rate", out).isOk());
  EXPECT_EQ(out.data, std::vector<uint8_t>{7});
}

// A batch is one transaction: others see all of its values at its end, or none of them when
// one of its writes failed.
TEST_F(SqliteRegistryTest, ABatchKeepsAllItsValuesOrNone) {
  SqliteRegistry saver(userDb, machineDb);
  SqliteRegistry other(userDb, machineDb);
  ASSERT_TRUE(saver.writeValue(kUser, "Software\\Qor", "Slot1", binary({0})).isOk());
  RegistryValue out;
  ASSERT_TRUE(saver.beginBatch(kUser).isOk());
  ASSERT_TRUE(saver.writeValue(kUser, "Software\\Qor", "Slot1", binary({1})).isOk());
  ASSERT_TRUE(saver.writeValue(kUser, "Software\\Qor\\Group", "All", binary({2})).isOk());
  // The saver reads its own writes; the other process still sees the state before.
  ASSERT_TRUE(saver.readValue(kUser, "Software\\Qor", "Slot1", out).isOk());
  EXPECT_EQ(out.data, std::vector<uint8_t>{1});
  ASSERT_TRUE(other.readValue(kUser, "Software\\Qor", "Slot1", out).isOk());
  EXPECT_EQ(out.data, std::vector<uint8_t>{0});
  ASSERT_TRUE(saver.endBatch(kUser).isOk());
  ASSERT_TRUE(other.readValue(kUser, "Software\\Qor\\Group", "All", out).isOk());
  EXPECT_EQ(out.data, std::vector<uint8_t>{2});

  // A value the database refuses undoes the whole batch.
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(userDb.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER refuse BEFORE UPDATE ON key_values WHEN NEW.name = "
                           "'Refused' BEGIN SELECT RAISE(ABORT, 'refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  ASSERT_TRUE(saver.writeValue(kUser, "Software\\Qor", "Refused", binary({0})).isOk());
  ASSERT_TRUE(saver.beginBatch(kUser).isOk());
  ASSERT_TRUE(saver.writeValue(kUser, "Software\\Qor", "Slot1", binary({3})).isOk());
  EXPECT_FALSE(saver.writeValue(kUser, "Software\\Qor", "Refused", binary({3})).isOk());
  const RegistryResult ended = saver.endBatch(kUser);
  EXPECT_EQ(ended.status, RegistryResult::Status::Failed);
  EXPECT_NE(ended.message.find("refused"), std::string::npos) << ended.message;
  ASSERT_TRUE(other.readValue(kUser, "Software\\Qor", "Slot1", out).isOk());
  EXPECT_EQ(out.data, std::vector<uint8_t>{1});
  ASSERT_TRUE(saver.readValue(kUser, "Software\\Qor", "Slot1", out).isOk());
  EXPECT_EQ(out.data, std::vector<uint8_t>{1});
}

constexpr int kWritesPerWriter = 150;

// Writes kWritesPerWriter values under Software\<who>; returns the first failure's message.
std::string writeMany(const fs::path& userDb, const fs::path& machineDb, const std::string& who) {
  SqliteRegistry registry(userDb, machineDb);
  for (int i = 0; i < kWritesPerWriter; ++i) {
    // The shared value makes both writers contend for the same row too.
    for (const auto& [key, name] : {std::pair{"Software\\" + who, std::to_string(i)},
                                    std::pair{std::string("Software\\Shared"), std::string("n")}}) {
      RegistryResult r = registry.writeValue(kUser, key, name, binary(bytes(who)));
      if (!r.isOk()) return "write " + std::to_string(i) + " by " + who + ": " + r.message;
    }
  }
  return {};
}

void expectAllWritten(const fs::path& userDb, const fs::path& machineDb,
                      std::initializer_list<std::string> writers) {
  SqliteRegistry registry(userDb, machineDb);
  for (const std::string& who : writers) {
    for (int i = 0; i < kWritesPerWriter; ++i) {
      RegistryValue out;
      ASSERT_TRUE(registry.readValue(kUser, "Software\\" + who, std::to_string(i), out).isOk())
          << who << " " << i;
      EXPECT_EQ(out.data, bytes(who));
    }
  }
}

// Both writers start on a database that does not exist yet, so creating it races as well.
TEST_F(SqliteRegistryTest, WritersInTwoThreadsNeverFindTheDatabaseLocked) {
  std::atomic<bool> go = false;
  std::string failures[2];
  std::thread writers[2];
  const char* names[2] = {"Left", "Right"};
  for (int t = 0; t < 2; ++t) {
    writers[t] = std::thread([&, t] {
      while (!go) std::this_thread::yield();
      failures[t] = writeMany(userDb, machineDb, names[t]);
    });
  }
  go = true;
  for (std::thread& w : writers) w.join();
  EXPECT_EQ(failures[0], "");
  EXPECT_EQ(failures[1], "");
  expectAllWritten(userDb, machineDb, {"Left", "Right"});
}

TEST_F(SqliteRegistryTest, WriterInAnotherProcessNeverFindsTheDatabaseLocked) {
  std::fflush(nullptr);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::string failure = writeMany(userDb, machineDb, "Child");
    if (!failure.empty()) std::fprintf(stderr, "%s\n", failure.c_str());
    _exit(failure.empty() ? 0 : 1);
  }
  EXPECT_EQ(writeMany(userDb, machineDb, "Parent"), "");
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child's writes failed";
  expectAllWritten(userDb, machineDb, {"Parent", "Child"});
}

// Every call on the damaged root fails, naming the file and the way out, and the file is left
// exactly as it was so the user can still rescue it.
void expectRefusedUntouched(const fs::path& userDb, const fs::path& machineDb,
                            const std::string& reason) {
  const std::vector<uint8_t> before = test::readBytes(userDb);
  {
    SqliteRegistry registry(userDb, machineDb);
    RegistryValue out;
    // Opening the root key reads no table, yet the damage must be found from the first call.
    for (const RegistryResult& r :
         {registry.createKey(kUser, ""), registry.readValue(kUser, "Software\\Qor", "Dpi", out),
          registry.writeValue(kUser, "Software\\Qor", "Dpi", binary({1})),
          registry.deleteValue(kUser, "Software\\Qor", "Dpi"),
          registry.readValue(kUser, "Software\\Qor", "Dpi", out)}) {
      EXPECT_EQ(r.status, Status::Failed);
      EXPECT_TRUE(mentions(r.message, userDb.string()));
      EXPECT_TRUE(mentions(r.message, reason));
      EXPECT_TRUE(mentions(r.message, "move it away"));
    }
  }
  EXPECT_EQ(test::readBytes(userDb), before);
}

TEST_F(SqliteRegistryTest, DamagedDatabaseIsRefusedAndLeftAlone) {
  struct Case {
    const char* label;
    std::function<void(const fs::path&)> damage;
    const char* reason;
  };
  const Case cases[] = {
      {"garbage", [](const fs::path& db) { test::writeBytes(db, pattern(5000)); },
       "file is not a database"},
      {"pages overwritten",
       [](const fs::path& db) {
         std::vector<uint8_t> data = test::readBytes(db);
         ASSERT_GT(data.size(), 4096u);
         std::fill(data.begin() + 4096, data.end(), 0xA5);
         test::writeBytes(db, data);
       },
       "damaged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    test::TempDir dir;
    const fs::path db = dir.path() / "registry.db";
    ASSERT_TRUE(SqliteRegistry(db, machineDb)
                    .writeValue(kUser, "Software\\Qor", "Dpi", binary(pattern(9000)))
                    .isOk());
    c.damage(db);
    expectRefusedUntouched(db, machineDb, c.reason);
  }
}

TEST_F(SqliteRegistryTest, ForeignOrNewerDatabaseIsRefusedAndLeftAlone) {
  struct Case {
    const char* sql;
    const char* reason;
  };
  const Case cases[] = {
      {"CREATE TABLE keys(x); PRAGMA user_version = 3;", "newer than this program knows"},
      {"CREATE TABLE contacts(name);", "not a qorcfg51 registry"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    test::TempDir dir;
    const fs::path db = dir.path() / "registry.db";
    runSql(db, c.sql);
    expectRefusedUntouched(db, machineDb, c.reason);
  }
}

TEST_F(SqliteRegistryTest, ReadOnlyDatabaseStillReadsButRefusesWrites) {
  struct Case {
    const char* label;
    bool folderReadOnly;
  };
  for (const Case& c : {Case{"read-only file", false}, Case{"read-only folder", true}}) {
    SCOPED_TRACE(c.label);
    test::TempDir dir;
    const fs::path db = dir.path() / "qorcfg51" / "registry.db";
    const fs::path machine = dir.path() / "machine" / "registry.db";
    ASSERT_TRUE(
        SqliteRegistry(db, machine).writeValue(kUser, "Software\\Qor", "Dpi", binary({5})).isOk());
    fs::create_directories(machine.parent_path());
    withPermissionsEnforced(dir.path(), [&] {
      // Either alone must be enough: a writable file in a read-only folder still cannot take
      // the files SQLite keeps beside it.
      if (c.folderReadOnly)
        fs::permissions(db.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
      else
        fs::permissions(db, fs::perms::owner_read);
      fs::permissions(machine.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);

      SqliteRegistry registry(db, machine);
      RegistryValue out;
      ASSERT_TRUE(registry.readValue(kUser, "Software\\Qor", "Dpi", out).isOk());
      EXPECT_EQ(out.data, std::vector<uint8_t>{5});
      for (const RegistryResult& r :
           {registry.writeValue(kUser, "Software\\Qor", "Dpi", binary({6})),
            registry.createKey(kUser, "Software\\New"),
            registry.deleteValue(kUser, "Software\\Qor", "Dpi")}) {
        EXPECT_EQ(r.status, Status::Failed);
        EXPECT_TRUE(mentions(r.message, db.string()));
      }
      ASSERT_TRUE(registry.readValue(kUser, "Software\\Qor", "Dpi", out).isOk());
      EXPECT_EQ(out.data, std::vector<uint8_t>{5});

      // A machine-wide folder this user may not write to.
      RegistryResult r = registry.writeValue(kMachine, "Software\\Qor", "Dpi", binary({1}));
      EXPECT_EQ(r.status, Status::Failed);
      EXPECT_TRUE(mentions(
          r.message, "cannot open registry database " + machine.string() + ": Permission denied"));
    });
  }
}

}  // namespace
}  // namespace qor

namespace qor {
namespace {

std::vector<std::pair<std::string, int>> bindingsOf(AppBindingStore& store) {
  std::vector<AppBinding> list;
  EXPECT_TRUE(store.readBindings(list).isOk());
  std::vector<std::pair<std::string, int>> out;
  for (const AppBinding& b : list) out.emplace_back(b.app, b.profile);
  return out;
}

TEST_F(SqliteRegistryTest, AppBindingsLiveInTheirOwnTableBesideTheValues) {
  {
    SqliteRegistry registry(userDb, machineDb);
    EXPECT_TRUE(bindingsOf(registry).empty());
    EXPECT_FALSE(fs::exists(userDb));  // reading creates nothing
    EXPECT_EQ(registry.unbindApp("firefox").status, RegistryResult::Status::NotFound);
    ASSERT_TRUE(registry.writeValue(kUser, "Software\\Qor", "Dpi", binary({1, 2})).isOk());
    ASSERT_TRUE(registry.bindApp("steam_app_570", 3).isOk());
    ASSERT_TRUE(registry.bindApp("firefox", 2).isOk());
    ASSERT_TRUE(registry.bindApp("Firefox", 4).isOk());  // the same application, rebound
    EXPECT_FALSE(registry.bindApp("gimp", 6).isOk());    // the table takes 1..5 only
  }
  SqliteRegistry registry(userDb, machineDb);
  EXPECT_EQ(bindingsOf(registry),
            (std::vector<std::pair<std::string, int>>{{"Firefox", 4}, {"steam_app_570", 3}}));
  EXPECT_TRUE(registry.unbindApp("FIREFOX").isOk());
  EXPECT_EQ(bindingsOf(registry), (std::vector<std::pair<std::string, int>>{{"steam_app_570", 3}}));
  RegistryValue v;
  ASSERT_TRUE(registry.readValue(kUser, "Software\\Qor", "Dpi", v).isOk());
  EXPECT_EQ(v.data, (std::vector<uint8_t>{1, 2}));
}

// A database as the first version of the program left it: value Dpi = {7, 8} under
// "software".
void writeFirstVersionDatabase(const fs::path& file) {
  fs::create_directories(file.parent_path());
  runSql(file,
         "CREATE TABLE keys (id INTEGER PRIMARY KEY, parent INTEGER REFERENCES keys(id) ON DELETE "
         "CASCADE, path TEXT NOT NULL UNIQUE COLLATE NOCASE);"
         "INSERT INTO keys(id, parent, path) VALUES (1, NULL, ''), (2, 1, 'software');"
         "CREATE TABLE key_values (key_id INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,"
         " name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, data BLOB NOT NULL,"
         " UNIQUE (key_id, name));"
         "INSERT INTO key_values VALUES (2, 'Dpi', 3, x'0708');"
         "PRAGMA user_version = 1;");
}

TEST_F(SqliteRegistryTest, ADatabaseOfTheFirstVersionGainsTheBindingsAndKeepsItsValues) {
  writeFirstVersionDatabase(userDb);
  SqliteRegistry registry(userDb, machineDb);
  ASSERT_TRUE(registry.bindApp("firefox", 5).isOk());
  EXPECT_EQ(bindingsOf(registry), (std::vector<std::pair<std::string, int>>{{"firefox", 5}}));
  RegistryValue v;
  ASSERT_TRUE(registry.readValue(kUser, "software", "Dpi", v).isOk());
  EXPECT_EQ(v.data, (std::vector<uint8_t>{7, 8}));
}

TEST_F(SqliteRegistryTest, AReadOnlyDatabaseOfTheFirstVersionIsReadAsItStands) {
  writeFirstVersionDatabase(userDb);
  withPermissionsEnforced(scratch.path(), [&] {
    fs::permissions(userDb, fs::perms::owner_read);
    SqliteRegistry registry(userDb, machineDb);
    RegistryValue v;
    ASSERT_TRUE(registry.readValue(kUser, "software", "Dpi", v).isOk());
    EXPECT_EQ(v.data, (std::vector<uint8_t>{7, 8}));
    EXPECT_TRUE(bindingsOf(registry).empty());
    EXPECT_EQ(registry.bindApp("firefox", 2).status, Status::Failed);
  });
}

TEST(AppNames, OnlyWindowClassLikeNamesAreBound) {
  struct Case {
    std::string name;
    const char* problem;  // part of the refusal, or null
  } cases[] = {
      {"steam_app_570", nullptr},
      {"org.kde.dolphin", nullptr},
      {"Zoë", nullptr},
      {"", "cannot be empty"},
      {"two words", "no spaces"},
      {"tab\there", "no spaces"},
      {std::string(255, 'a'), nullptr},
      {std::string(1000, 'a'), "at most 255 bytes"},
      {"bad\xff", "UTF-8"},
      {"cut\xc3", "UTF-8"},
      {"overlong\xc1\x81", "UTF-8"},         // "A" in two bytes
      {"slash\xe0\x80\xaf", "UTF-8"},        // "/" in three bytes
      {"surrogate\xed\xa0\x80", "UTF-8"},    // U+D800
      {"beyond\xf4\x90\x80\x80", "UTF-8"},   // U+110000
      {"c1\xc2\x85", "control characters"},  // U+0085, next line
      {"emoji\xf0\x9f\x8e\xae", nullptr},
  };
  for (const Case& c : cases) {
    const auto problem = CheckAppName(c.name);
    if (!c.problem)
      EXPECT_FALSE(problem) << c.name << ": " << *problem;
    else
      EXPECT_TRUE(problem && problem->find(c.problem) != std::string::npos) << c.name;
  }
}

TEST(AppNames, TheFirstBoundNameOfTheWindowChoosesTheProfile) {
  const std::vector<AppBinding> bindings = {{"Firefox", 2}, {"steam_app_570", 3}};
  EXPECT_EQ(BoundProfile(bindings, {"navigator", "firefox"}), 2);
  EXPECT_EQ(BoundProfile(bindings, {"steam_app_570", "steam_app_570"}), 3);
  EXPECT_EQ(BoundProfile(bindings, {"xterm", "XTerm"}), std::nullopt);
  EXPECT_EQ(BoundProfile(bindings, {}), std::nullopt);
}

}  // namespace
}  // namespace qor
