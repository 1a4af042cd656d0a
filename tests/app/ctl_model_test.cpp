// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl model against virtual mice.
#include <gtest/gtest.h>

#include "app/ctl_installation.h"
#include "test_support/sim_process.h"

namespace qor {
namespace {

using test::Installation;

TEST(CtlModel, PrintsTheModelAndItsLayout) {
  struct Case {
    const char* model;
    const char* text;
    const char* layout;
  } cases[] = {
      {"MODAL001", "model: MODAL001\n", "layout: IMAGES\\LAYOUT1.PNG\n"},
      {"  MODAL003  ", "model: MODAL003\n", "layout: IMAGES\\LAYOUT3.PNG\n"},
      {"modal001", "model: modal001\n", "layout: IMAGES\\NOLAYOUT.PNG\n"},
  };
  for (const Case& c : cases) {
    Installation home;
    test::SimProcess sim(home.simulatorFolder(), {"--model", c.model});
    const test::CtlRun r = home.ctl("model");
    EXPECT_EQ(r.status, 0) << c.model << ": " << r.err;
    EXPECT_NE(r.out.find(c.text), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(c.layout), std::string::npos) << r.out;
  }
}

TEST(CtlModel, AMouseWhoseAnswerIsCutIsNotTakenForNoMouse) {
  Installation home;
  test::SimProcess sim(home.simulatorFolder(), {"--short-answers", "1"});
  const test::CtlRun r = home.ctl("model");
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("the mouse is connected but did not answer the model query"),
            std::string::npos)
      << r.err;
}

TEST(CtlModel, NoMouseIsStatus3WithAHint) {
  Installation home;
  const test::CtlRun r = home.ctl("model");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("qorcfg51-ctl: no mouse found; no model was read\n", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("qorcfg51-sim"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qor
