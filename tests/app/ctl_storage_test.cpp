// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl and the files and lock it shares with the window.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/ctl_installation.h"
#include "platform/instance_lock.h"

namespace qor {
namespace {

using test::CtlRun;
using test::Installation;
namespace fs = std::filesystem;

TEST(CtlStorage, ChangesRefuseWhileTheWindowRunsReadingWorks) {
  Installation home;
  ASSERT_EQ(home.ctl("show").status, 0);
  {
    // The window holds this lock for its whole run.
    auto window = InstanceLock::TryAcquireFile(home / "TQorCfg51Main.lock");
    ASSERT_TRUE(window);
    for (const char* args : {"set rate 250", "reset", "switch 2", "apply"}) {
      CtlRun r = home.ctl(args);
      EXPECT_EQ(r.status, 1) << args;
      EXPECT_NE(r.err.find("window is running"), std::string::npos) << args << r.err;
    }
    EXPECT_EQ(home.ctl("show").status, 0);
    EXPECT_EQ(home.ctl("export " + (home / "copy.PFX").string()).status, 0);
  }
  EXPECT_EQ(home.ctl("set rate 250").status, 0);
}

TEST(CtlStorage, AWriteInProgressDoesNotStopACommandThatOnlyLooks) {
  Installation home;
  ASSERT_EQ(home.ctl("set rate 250").status, 0);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((home / "config/qorcfg51/registry.db").c_str(), &db), SQLITE_OK);
  // Another program in the middle of a save, holding the database's write lock.
  ASSERT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE; DELETE FROM key_values;", nullptr, nullptr, nullptr),
            SQLITE_OK);
  CtlRun r = home.ctl("show --json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"reportRate\": 250"), std::string::npos) << r.out;
  sqlite3_close(db);  // rolls the save back
}

TEST(CtlStorage, AFailedSaveMakesTheCommandFailWithItsReason) {
  Installation home;
  ASSERT_EQ(home.ctl("switch 1").status, 0);
  ::chmod(home.slotFile(3).c_str(), 0444);
  CtlRun r = home.ctl("set rate 250");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("QORProfile3.PFX"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
  // Told once, although the slot is saved twice over.
  EXPECT_EQ(r.err.find("QORProfile3.PFX"), r.err.rfind("QORProfile3.PFX")) << r.err;
}

TEST(CtlStorage, ExportReplacesOnlyRegularFilesAndFollowsLinks) {
  Installation home;
  ASSERT_EQ(::mkfifo((home / "pipe").c_str(), 0644), 0);
  CtlRun r = home.ctl("export " + (home / "pipe").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::is_fifo(home / "pipe"));

  fs::create_directories(home / "kept");
  test::writeText(home / "kept" / "mine.PFX", "old");
  fs::create_symlink(home / "kept" / "mine.PFX", home / "link.PFX");
  ASSERT_EQ(home.ctl("export " + (home / "link.PFX").string()).status, 0);
  EXPECT_TRUE(fs::is_symlink(home / "link.PFX"));
  EXPECT_EQ(fs::file_size(home / "kept" / "mine.PFX"), 109888u);
}

// A FIFO where a file is read never hangs a command: it is refused at once.
TEST(CtlStorage, AFifoInAFilesPlaceIsRefusedNotWaitedFor) {
  Installation home;
  ASSERT_EQ(::mkfifo((home / "pipe").c_str(), 0644), 0);
  const std::string pipe = (home / "pipe").string();
  for (const std::string& args :
       {"import " + pipe, "restore " + pipe,
        "add-mouse 1a2b:3c4d --config " + pipe + " --rules " + (home / "r.rules").string()}) {
    const CtlRun r = home.ctl(args, "timeout 20");
    EXPECT_NE(r.status, 0) << args;
    EXPECT_NE(r.status, 124) << args << ": it waited for the FIFO";
  }
}

// Past the file-size limit a save fails with its reason instead of killing the command, and
// the stored profile stays as it was.
TEST(CtlStorage, AFileSizeLimitIsAFailedSaveNotADeath) {
  Installation home;
  ASSERT_EQ(home.ctl("set rate 250").status, 0);
  const test::Bytes before = test::readBytes(home.slotFile(1));
  const CtlRun r = home.ctl("set rate 1000", "sh -c 'ulimit -f 100; exec \"$0\" \"$@\"'");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
  EXPECT_EQ(test::readBytes(home.slotFile(1)), before);
}

}  // namespace
}  // namespace qor
