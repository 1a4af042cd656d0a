// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include <filesystem>

#include "platform/atomic_file.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

TEST(AtomicFile, ReplacesTheWholeFileAndKeepsItsMode) {
  test::TempDir dir;
  const fs::path f = dir / "p.PFX";
  test::writeText(f, "old content that is longer");
  ::chmod(f.c_str(), 0600);
  const std::vector<uint8_t> data = {1, 2, 3};
  ASSERT_FALSE(writeFileAtomically(f, data.data(), data.size()));
  EXPECT_EQ(test::readBytes(f), data);
  struct stat st {};
  ::stat(f.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

// A temporary file that a killed write left behind goes with the next write of that file;
// a fresh one (a write going on), the user's own files beside it (".name.backup") and other
// files stay.
TEST(AtomicFile, AWriteRemovesWhatAKilledWriteOfTheFileLeft) {
  test::TempDir dir;
  const fs::path f = dir / "QORProfile1.PFX";
  const auto aged = [](const fs::path& p, long seconds) {
    const timespec times[2] = {{std::time(nullptr) - seconds, 0},
                               {std::time(nullptr) - seconds, 0}};
    ::utimensat(AT_FDCWD, p.c_str(), times, 0);
  };
  const char* stale[] = {".QORProfile1.PFX.qorcfg51-a1B2c3", ".QORProfile1.PFX.qorcfg51-zzzzzz"};
  const char* kept[] = {".QORProfile1.PFX.qorcfg51-fresh1", ".QORProfile2.PFX.qorcfg51-a1B2c3",
                        ".QORProfile1.PFX.backup",          ".QORProfile1.PFX.a1B2c3",
                        ".QORProfile1.PFX.notes",           "QORProfile1.PFX.qorcfg51-a1B2c3"};
  for (const char* name : stale) test::writeText(dir / name, "x");
  for (const char* name : kept) test::writeText(dir / name, "x");
  aged(dir / stale[0], 3600);
  aged(dir / stale[1], kStaleTemporaryAge + 60);
  for (const char* name : kept)
    if (std::string(name).find("fresh") == std::string::npos) aged(dir / name, 3600);
  const std::vector<uint8_t> data = {7};
  ASSERT_FALSE(writeFileAtomically(f, data.data(), data.size()));
  EXPECT_EQ(test::readBytes(f), data);
  for (const char* name : stale) EXPECT_FALSE(fs::exists(dir / name)) << name;
  for (const char* name : kept) EXPECT_TRUE(fs::exists(dir / name)) << name;
}

// Keep spares the rewrite of a file that holds the bytes already; anything else is replaced.
TEST(AtomicFile, KeepLeavesAFileThatHoldsTheBytesAlready) {
  test::TempDir dir;
  const fs::path f = dir / "p.PFX";
  const std::vector<uint8_t> data = {1, 2, 3};
  auto inode = [&] {
    struct stat st {};
    ::stat(f.c_str(), &st);
    return st.st_ino;
  };
  ASSERT_FALSE(writeFileAtomically(f, data.data(), data.size(), WhenUnchanged::Keep));
  const ino_t first = inode();
  ASSERT_FALSE(writeFileAtomically(f, data.data(), data.size(), WhenUnchanged::Keep));
  EXPECT_EQ(inode(), first);
  struct Case {
    std::vector<uint8_t> before;
  };
  for (const Case& c : {Case{{1, 2, 4}}, Case{{1, 2}}, Case{{1, 2, 3, 0}}}) {
    ASSERT_FALSE(writeFileAtomically(f, c.before.data(), c.before.size()));
    ASSERT_FALSE(writeFileAtomically(f, data.data(), data.size(), WhenUnchanged::Keep));
    EXPECT_EQ(test::readBytes(f), data);
  }
  // The file the user made read-only is still refused, whatever it holds.
  ::chmod(f.c_str(), 0444);
  EXPECT_TRUE(writeFileAtomically(f, data.data(), data.size(), WhenUnchanged::Keep));
}

TEST(AtomicFile, FailureNamesTheFileAndLeavesTheOldOne) {
  test::TempDir dir;
  const std::vector<uint8_t> data = {1};
  auto err = writeFileAtomically(dir / "missing" / "p.PFX", data.data(), 1);
  ASSERT_TRUE(err);
  EXPECT_NE(err->find("missing/p.PFX"), std::string::npos);
  // Renaming over a folder fails; the folder and its content stay.
  fs::create_directories(dir / "p.PFX" / "inside");
  err = writeFileAtomically(dir / "p.PFX", data.data(), 1);
  ASSERT_TRUE(err);
  EXPECT_TRUE(fs::is_directory(dir / "p.PFX" / "inside"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(AtomicFile, RespectsWhatTheUserSetUp) {
  test::TempDir dir;
  const std::vector<uint8_t> data = {7, 7};
  // A read-only file is refused with its reason and keeps its content.
  test::writeText(dir / "ro.PFX", "kept");
  ::chmod((dir / "ro.PFX").c_str(), 0444);
  auto err = writeFileAtomically(dir / "ro.PFX", data.data(), data.size());
  ASSERT_TRUE(err);
  EXPECT_NE(err->find("read-only"), std::string::npos) << *err;
  EXPECT_EQ(test::readBytes(dir / "ro.PFX"), (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
  // Only regular files are replaced: a named pipe stays what it is.
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
  err = writeFileAtomically(dir / "pipe", data.data(), data.size());
  ASSERT_TRUE(err);
  EXPECT_NE(err->find("not a regular file"), std::string::npos) << *err;
  EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
  // A symbolic link (relative, through a second link) stays a link; its target is replaced.
  fs::create_directories(dir / "real");
  test::writeText(dir / "real" / "p.PFX", "old");
  fs::create_symlink("real/p.PFX", dir / "hop");
  fs::create_symlink("hop", dir / "link.PFX");
  ASSERT_FALSE(writeFileAtomically(dir / "link.PFX", data.data(), data.size()));
  EXPECT_TRUE(fs::is_symlink(dir / "link.PFX"));
  EXPECT_TRUE(fs::is_symlink(dir / "hop"));
  EXPECT_EQ(test::readBytes(dir / "real" / "p.PFX"), data);
  // A dangling link gets its target created; a loop is refused.
  fs::create_symlink("real/new.PFX", dir / "dangling");
  ASSERT_FALSE(writeFileAtomically(dir / "dangling", data.data(), data.size()));
  EXPECT_EQ(test::readBytes(dir / "real" / "new.PFX"), data);
  fs::create_symlink("loop2", dir / "loop1");
  fs::create_symlink("loop1", dir / "loop2");
  EXPECT_TRUE(writeFileAtomically(dir / "loop1", data.data(), data.size()));
}

TEST(AtomicFile, ReadRefusesWhatIsNoRecordFile) {
  test::TempDir dir;
  std::vector<uint8_t> out = {9};
  EXPECT_TRUE(readWholeFile(dir / "absent", out));
  EXPECT_TRUE(readWholeFile(dir.path(), out));  // a folder
  test::writeText(dir / "big", "0123456789");
  auto err = readWholeFile(dir / "big", out, 5);
  ASSERT_TRUE(err);
  EXPECT_NE(err->find("too large"), std::string::npos);
  EXPECT_EQ(out, std::vector<uint8_t>{9});  // untouched on failure
}

}  // namespace
}  // namespace qor
