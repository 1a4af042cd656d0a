// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl run as a process against its own configuration folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/ctl_installation.h"
#include "test_support/bytes.h"

namespace qor {
namespace {

using test::CtlRun;
using test::Installation;

namespace fs = std::filesystem;
using test::Bytes;

// Every file below `folder`, as paths relative to it.
std::set<std::string> filesBelow(const fs::path& folder) {
  std::set<std::string> found;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (!e.is_directory()) found.insert(fs::relative(e.path(), folder).string());
  return found;
}

TEST(Ctl, CommandsThatOnlyLookLeaveAFreshHomeEmpty) {
  Installation home;
  const std::string exported = (home / "out.PFX").string();
  for (const std::string& args : std::vector<std::string>{
           "show", "show --json --profile 2", "devices", "model", "bindings", "export " + exported,
           "backup " + exported + ".bak", "--help", "show --help"})
    home.ctl(args);
  // Only the export (and the runs' own stderr); the backup found no mouse.
  EXPECT_EQ(filesBelow(home / ""), (std::set<std::string>{"out.PFX", "stderr"}));
  EXPECT_EQ(fs::file_size(exported), 109888u);
}

TEST(Ctl, FirstStartShowsTheFactoryProfileAndAChangeWritesFiveFiles) {
  Installation home;
  CtlRun r = home.ctl("show --json");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const char* field :
       {"\"profile\":1", "\"version\":258", "\"buttonCount\":9", "\"reportRate\":500",
        "{\"button\":3,\"code\":5,\"type\":1,\"row\":3,\"menuItemID\":4}",
        "\"levels\":[{\"x\":500,\"y\":500,\"enabled\":true},{\"x\":1000",
        "\"current\":1,\"levelCount\":4",
        "\"led\":{\"r\":255,\"g\":0,\"b\":0,\"brightness\":3,\"breathing\":1}",
        "\"pointer\":{\"speed\":10,\"acceleration\":0,\"wheelLines\":3,\"doubleClickMs\":550}",
        "\"macros\":[]"})
    EXPECT_NE(r.out.find(field), std::string::npos) << field << "\n" << r.out;
  ASSERT_EQ(home.ctl("switch 1").status, 0);
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(fs::file_size(home.slotFile(n)), 109888u);
  const Bytes first = test::readBytes(home.slotFile(1));
  CtlRun again = home.ctl("show --profile 2");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out.rfind("# profile 2\n", 0), 0u) << again.out;
  EXPECT_EQ(test::readBytes(home.slotFile(1)), first);
}

TEST(Ctl, ExportThenImportElsewhereIsByteIdentical) {
  Installation a, b;
  ASSERT_EQ(a.ctl("switch 1").status, 0);
  // Carried, reserved and padding bytes must travel too.
  Bytes p = test::readBytes(a.slotFile(1));
  for (std::size_t off :
       {std::size_t{4}, std::size_t{100}, std::size_t{860 + 22}, std::size_t{860 + 3757},
        std::size_t{860 + 82127}, std::size_t{105398}, std::size_t{109887}})
    p[off] = 0xA5;
  test::put16(p, 72546, 1000);
  test::writeBytes(a.slotFile(1), p);
  ASSERT_EQ(a.ctl("export '" + (a / "out.PFX").string() + "'").status, 0);
  EXPECT_EQ(test::readBytes(a / "out.PFX"), p);
  CtlRun r = b.ctl("import '" + (a / "out.PFX").string() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::readBytes(b.slotFile(1)), p);
  ASSERT_EQ(b.ctl("export '" + (b / "again.PFX").string() + "'").status, 0);
  EXPECT_EQ(test::readBytes(b / "again.PFX"), p);
}

TEST(Ctl, RefusedImportsChangeNothing) {
  Installation home;
  ASSERT_EQ(home.ctl("switch 1").status, 0);
  const Bytes before = test::readBytes(home.slotFile(1));
  Bytes wrong = before;
  test::put32(wrong, 0, 259);
  test::writeBytes(home / "wrong.PFX", wrong);
  CtlRun r = home.ctl("import '" + (home / "wrong.PFX").string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("is a profile of version 259; this qorcfg51 reads version 258 only"),
            std::string::npos)
      << r.err;
  test::writeBytes(home / "cut.PFX", Bytes(before.begin(), before.begin() + 2000));
  r = home.ctl("import '" + (home / "cut.PFX").string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("(2000 bytes; a profile has 109888)"), std::string::npos) << r.err;
  r = home.ctl("import '" + (home / "absent.PFX").string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no such file"), std::string::npos) << r.err;
  EXPECT_EQ(test::readBytes(home.slotFile(1)), before);
}

TEST(Ctl, ResetAndSwitchSave) {
  Installation home;
  ASSERT_EQ(home.ctl("switch 1").status, 0);
  Bytes p = test::readBytes(home.slotFile(1));
  test::put16(p, 72546, 125);
  test::writeBytes(home.slotFile(1), p);
  ASSERT_EQ(home.ctl("reset").status, 0);
  EXPECT_EQ(test::u16At(test::readBytes(home.slotFile(1)), 72546), 500);
  CtlRun r = home.ctl("switch 3");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("current profile: 3"), std::string::npos);
}

TEST(Ctl, TheProfileOptionEditsThatProfileAndKeepsTheCurrentOne) {
  constexpr std::size_t kReportRate = 72546;
  Installation home;
  CtlRun r = home.ctl("set --profile 3 rate 1000");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("profile 3"), std::string::npos) << r.out;
  EXPECT_EQ(test::u16At(test::readBytes(home.slotFile(3)), kReportRate), 1000);
  EXPECT_EQ(test::u16At(test::readBytes(home.slotFile(1)), kReportRate), 500);
  ASSERT_EQ(home.ctl("reset --profile 3").status, 0);
  EXPECT_EQ(test::u16At(test::readBytes(home.slotFile(3)), kReportRate), 500);
  ASSERT_EQ(home.ctl("import --profile 2 '" + home.slotFile(1).string() + "'").status, 0);
  // The next run still starts on profile 1.
  r = home.ctl("show --json");
  EXPECT_NE(r.out.find("\"profile\":1,"), std::string::npos) << r.out;
  EXPECT_NE(home.ctl("set --help").out.find("--profile N"), std::string::npos);
}

TEST(Ctl, AFirstStartSpeaksTheUsersLanguage) {
  struct Case {
    const char* locale;
    const char* language;
  } cases[] = {
      {"de_DE.UTF-8", "0407"},
      {"de_AT.UTF-8", "0407"},
      {"fr_FR.UTF-8", "040c"},
      {"C", "0409"},
      {"POSIX", "0409"},
      {"zz_ZZ", "0409"},
      {"", "0409"},
  };
  for (const Case& c : cases) {
    Installation home;
    CtlRun r = home.ctl("show --json", std::string("LC_ALL='") + c.locale + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(std::string("\"language\":\"") + c.language + "\""), std::string::npos)
        << c.locale << ": " << r.out;
  }
  Installation home;
  CtlRun r = home.ctl("set language Deutsch");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(home.ctl("show --json").out.find("\"language\":\"0407\""), std::string::npos);
  ASSERT_EQ(home.ctl("set language 040a").status, 0);
  EXPECT_NE(home.ctl("show --json").out.find("\"language\":\"040a\""), std::string::npos);
  r = home.ctl("set language Klingon");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("0409, 0407"), std::string::npos) << r.err;
}

TEST(Ctl, UsageErrorsAndHelp) {
  Installation home;
  struct Case {
    const char* args;
    int status;
  } cases[] = {
      {"", 2},
      {"frobnicate", 2},
      {"switch", 2},
      {"switch 6", 2},
      {"switch x", 2},
      {"show --profile 0", 2},
      {"show --bogus", 2},
      {"export", 2},
      {"reset now", 2},
      {"--help", 0},
      {"show --help", 0},
      {"import --help", 0},
      {"set --profile 0 rate 500", 2},
      {"set rate 500 --profile 6", 2},
      {"apply --profile x", 2},
      {"reset --profile", 2},
  };
  for (const Case& c : cases) {
    CtlRun r = home.ctl(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    if (c.status == 0) {
      EXPECT_NE(r.out.find("Usage: qorcfg51-ctl"), std::string::npos) << c.args;
    }
  }
  EXPECT_FALSE(fs::exists(home / "config" / "qorcfg51")) << "usage errors touch no data";
}

// On Plasma the double-click time goes to kdeglobals at once; when that fails, the user is
// told why rather than that the desktop has no such setting.
TEST(Ctl, DoubleClickOnPlasmaSaysWhyKdeglobalsDidNotTakeIt) {
  const auto text = [](const fs::path& file) {
    const Bytes b = test::readBytes(file);
    return std::string(b.begin(), b.end());
  };
  struct Case {
    const char* what;
    const char* text;  // kdeglobals; "<dir>": a folder in its place
    bool readOnly;
    bool tool;          // a kwriteconfig6 on PATH that takes the value
    const char* said;   // on stderr; empty: nothing at all
    const char* after;  // kdeglobals afterwards; null: as it was
  } cases[] = {
      {"read-only", "[KDE]\nDoubleClickInterval=300\n", true, false,
       "kdeglobals: Permission denied", nullptr},
      {"a folder", "<dir>", false, false, "kdeglobals: Is a directory", nullptr},
      {"locked", "[KDE][$i]\r\n", false, true, "administrator locked DoubleClickInterval", nullptr},
      {"KConfig's tool", "[KDE]\n", false, true, "", nullptr},
      {"our writer", "\xEF\xBB\xBF[KDE]\r\nDoubleClickInterval=300\r\n", false, false, "",
       "\xEF\xBB\xBF[KDE]\r\nDoubleClickInterval=400\r\n"},
  };
  for (const Case& c : cases) {
    Installation home;
    const fs::path file = home / "config" / "kdeglobals";
    fs::create_directories(home / "bin");
    fs::create_directories(home / "config");
    const bool folder = std::string(c.text) == "<dir>";
    if (folder)
      fs::create_directories(file);
    else
      test::writeText(file, c.text);
    if (c.readOnly) fs::permissions(file, fs::perms::owner_read);
    if (c.tool) {
      test::writeText(home / "bin" / "kwriteconfig6",
                      "#!/bin/sh\necho \"$*\" > \"${0%/*}/calls\"\n");
      fs::permissions(home / "bin" / "kwriteconfig6", fs::perms::owner_all);
    }
    const CtlRun r = home.ctl("set double-click 400",
                              "XDG_CURRENT_DESKTOP=KDE PATH='" + (home / "bin").string() + "'");
    EXPECT_EQ(r.status, 0) << c.what << ": " << r.err;  // the profile keeps it all the same
    EXPECT_EQ(r.err.find("no double-click setting"), std::string::npos) << c.what << ": " << r.err;
    if (*c.said) {
      EXPECT_NE(r.err.find(c.said), std::string::npos) << c.what << ": " << r.err;
    } else {
      EXPECT_EQ(r.err, "") << c.what;
    }
    if (!folder) {
      EXPECT_EQ(text(file), c.after ? c.after : c.text) << c.what;
    }
    if (c.tool && !*c.said) {
      EXPECT_EQ(text(home / "bin" / "calls"),
                "--file kdeglobals --group KDE --key DoubleClickInterval -- 400\n");
    }
  }
}

}  // namespace
}  // namespace qor
