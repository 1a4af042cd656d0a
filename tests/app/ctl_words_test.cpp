// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl speaks one language: show prints what set takes, options take their value
// either way, and refusals say what to write instead.
#include <gtest/gtest.h>

#include <sstream>

#include "app/ctl_installation.h"
#include "test_support/bytes.h"

namespace qor {
namespace {

using test::Bytes;
using test::CtlRun;
using test::Installation;

// Buttons 1 to 5 in a profile file: the first five 3772-byte entries of the configuration,
// which starts at byte 860.
constexpr std::size_t kFirstButton = 860, kButtonsEnd = 860 + 5 * 3772;

Bytes buttonEntries(const Installation& home, int profile) {
  const Bytes file = test::readBytes(home.slotFile(profile));
  return Bytes(file.begin() + kFirstButton, file.begin() + kButtonsEnd);
}

// The text after the first line ("# profile N").
std::string afterFirstLine(const std::string& text) {
  return text.substr(text.find('\n') + 1);
}

TEST(CtlWords, ShowLinesGivenToSetOnAnotherProfileSetTheSame) {
  Installation home;
  for (const char* change :
       {"button 1 fire:3:120", "button 2 media:mute", "button 3 copy",
        "button 4 combo:ctrl+shift+page-up", "button 5 combo:alt+f4", "rate 250", "cpi 2 800 1200",
        "cpi-enabled 1 off", "led 1 2 3", "wheel-lines page", "language de"})
    ASSERT_EQ(home.ctl(std::string("set ") + change).status, 0) << change;
  const CtlRun shown = home.ctl("show");
  ASSERT_EQ(shown.status, 0) << shown.err;
  for (const char* line :
       {"# profile 1\n", "\nbutton 1 fire:3:120\n", "\nbutton 2 media:mute\n", "\nbutton 3 copy\n",
        "\nbutton 4 combo:ctrl+shift+page-up\n", "\nbutton 5 combo:alt+f4\n", "\ncpi 2 800 1200\n",
        "\ncpi-enabled 1 off\n", "\nwheel-lines page\n", "\nlanguage 0407\n"})
    EXPECT_NE(shown.out.find(line), std::string::npos) << line << "\n" << shown.out;

  std::istringstream lines(shown.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind('#', 0) == 0) continue;
    const CtlRun r = home.ctl("set --profile 3 " + line);
    EXPECT_EQ(r.status, 0) << line << "\n" << r.err;
  }
  EXPECT_EQ(buttonEntries(home, 3), buttonEntries(home, 1));
  EXPECT_NE(buttonEntries(home, 2), buttonEntries(home, 1));
  EXPECT_EQ(afterFirstLine(home.ctl("show --profile 3").out), afterFirstLine(shown.out));
}

TEST(CtlWords, EveryCommandWithoutAMouseIsStatus3AndNamesDevices) {
  Installation home;
  for (const char* args : {"model", "apply", "backup b.qorbak"}) {
    const CtlRun r = home.ctl(args);
    EXPECT_EQ(r.status, 3) << args;
    EXPECT_NE(r.err.find("qorcfg51-ctl devices"), std::string::npos) << args << ": " << r.err;
  }
}

TEST(CtlWords, AFileThatIsNoProfileIsNamedWithItsSize) {
  Installation home;
  test::writeText(home / "notes.txt", "not a profile\n");
  const CtlRun r = home.ctl("import '" + (home / "notes.txt").string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("notes.txt is not a qorcfg51 profile (14 bytes; a profile has 109888)"),
            std::string::npos)
      << r.err;
}

TEST(CtlWords, OptionsTakeTheirValueJoinedAndTheVersionIsTold) {
  Installation home;
  CtlRun r = home.ctl("show --profile=2");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("# profile 2\n", 0), 0u) << r.out;
  EXPECT_EQ(home.ctl("show --profile=6").status, 2);
  EXPECT_EQ(home.ctl("set --profile=4 rate 1000").status, 0);
  EXPECT_NE(home.ctl("show --json --profile=4").out.find("\"reportRate\": 1000"),
            std::string::npos);
  r = home.ctl("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("qorcfg51-ctl ", 0), 0u) << r.out;
}

TEST(CtlWords, LanguagesByTheirShortCode) {
  Installation home;
  for (auto [code, id] :
       {std::pair{"fr", "040c"}, {"DE", "0407"}, {"es", "040a"}, {"en", "0409"}}) {
    const CtlRun r = home.ctl(std::string("set language ") + code);
    EXPECT_EQ(r.status, 0) << code << ": " << r.err;
    EXPECT_NE(home.ctl("show").out.find(std::string("\nlanguage ") + id + "\n"), std::string::npos)
        << code;
  }
}

}  // namespace
}  // namespace qor
