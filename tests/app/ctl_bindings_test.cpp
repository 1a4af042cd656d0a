// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl bind, unbind and bindings.
#include <gtest/gtest.h>

#include "app/ctl_installation.h"

namespace qor {
namespace {

using test::CtlRun;
using test::Installation;

TEST(CtlBindings, BindListAndUnbind) {
  Installation home;
  EXPECT_EQ(home.ctl("bindings").out, "");
  EXPECT_EQ(home.ctl("bindings --json").out, "{\"bindings\":[]}\n");
  for (const char* args : {"bind steam_app_570 3", "bind firefox 2", "bind Firefox 4"}) {
    const CtlRun r = home.ctl(args);
    EXPECT_EQ(r.status, 0) << args << ": " << r.err;
  }
  EXPECT_EQ(home.ctl("bindings").out, "Firefox\t4\nsteam_app_570\t3\n");
  EXPECT_EQ(home.ctl("bindings --json").out,
            "{\"bindings\":[{\"app\":\"Firefox\",\"profile\":4},"
            "{\"app\":\"steam_app_570\",\"profile\":3}]}\n");
  EXPECT_EQ(home.ctl("unbind firefox").status, 0);
  EXPECT_EQ(home.ctl("bindings").out, "steam_app_570\t3\n");
  const CtlRun again = home.ctl("unbind firefox");
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("bound to no profile"), std::string::npos) << again.err;
}

TEST(CtlBindings, BadNamesAndProfilesAreUsageErrorsAndChangeNothing) {
  Installation home;
  ASSERT_EQ(home.ctl("bind game 1").status, 0);
  struct Case {
    std::string args;
    const char* says;
  } cases[] = {
      {"bind 'two words' 2", "no spaces"},
      {"bind " + std::string(1000, 'a') + " 2", "at most 255 bytes"},
      {"bind game 0", "from 1 to 5"},
      {"bind game 6", "from 1 to 5"},
      {"bind game x", "from 1 to 5"},
      {"bind game", "an application name and a profile"},
      {"unbind ''", "cannot be empty"},
      {"bindings --text", "only --json"},
  };
  for (const Case& c : cases) {
    const CtlRun r = home.ctl(c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
  }
  EXPECT_EQ(home.ctl("bindings").out, "game\t1\n");
}

}  // namespace
}  // namespace qor
