// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/paths.h"
#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

using test::ScopedEnv;

TEST(Paths, DocumentsFollowXdgRules) {
  test::TempDir dir;
  ScopedEnv env;
  env.set("HOME", dir.path().c_str());
  env.set("XDG_CONFIG_HOME", (dir / "cfg").c_str());
  env.set("XDG_DOCUMENTS_DIR", nullptr);
  EXPECT_EQ(paths::documents(), dir / "Documents");
  fs::create_directory(dir / "cfg");
  test::writeText(
      dir / "cfg" / "user-dirs.dirs",
      "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(paths::documents(), dir / "Dokumente");
  env.set("XDG_DOCUMENTS_DIR", "/srv/docs");
  EXPECT_EQ(paths::documents(), fs::path("/srv/docs"));
  env.set("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(paths::configHome(), dir / ".config");
}

TEST(Paths, ProgramFolderFromTheEnvironment) {
  ScopedEnv env;
  env.set("QORCFG51_PROGRAM_DIR", "/opt/q");
  EXPECT_EQ(paths::program(), fs::path("/opt/q"));
}

TEST(Paths, ProgramFolderBesideOrBelowTheExecutable) {
  test::TempDir dir;
  // A build tree: the files lie beside the executable.
  fs::create_directories(dir / "stage");
  test::writeText(dir / "stage" / "config.ini", "");
  EXPECT_EQ(paths::programFolderFor(dir / "stage"), dir / "stage");
  // An installed tree under a prefix with a space, wherever that prefix now lies.
  const fs::path prefix = dir / "opt dir" / "qor";
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "share" / "qorcfg51");
  EXPECT_EQ(paths::programFolderFor(prefix / "bin"), prefix / "share" / "qorcfg51");
}

TEST(Paths, HomeFromTheAccountWhenUnset) {
  ScopedEnv env;
  env.set("HOME", nullptr);
  env.set("XDG_CONFIG_HOME", nullptr);
  const passwd* account = ::getpwuid(::getuid());
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(paths::configHome(), fs::path(account->pw_dir) / ".config");
}

TEST(Paths, MissingProgramFilesAreNamed) {
  test::TempDir dir;
  EXPECT_EQ(paths::missingProgramFiles(dir / "absent").size(), 1u);
  const auto missing = paths::missingProgramFiles(dir.path());
  ASSERT_EQ(missing.size(), 3u);
  EXPECT_NE(missing[1].find((dir / "ui.local").string()), std::string::npos);
  EXPECT_NE(missing[2].find((dir / "images").string()), std::string::npos);
  test::writeText(dir / "config.ini", "");
  test::writeText(dir / "UI.LOCAL", "");
  fs::create_directory(dir / "Images");
  EXPECT_TRUE(paths::missingProgramFiles(dir.path()).empty());
}

TEST(Paths, RelativeNamesMatchWithoutCase) {
  test::TempDir dir;
  fs::create_directories(dir / "images");
  test::writeText(dir / "images" / "Layout1.png", "x");
  EXPECT_EQ(paths::resolveInFolder(dir.path(), "IMAGES\\LAYOUT1.PNG"),
            dir / "images" / "Layout1.png");
  EXPECT_EQ(paths::resolveInFolder(dir.path(), "images\\hand.cur"), dir / "images" / "hand.cur");
}

}  // namespace
}  // namespace qor
