// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, JoinedOptionValuesAreSplit) {
  struct Case {
    Args given, taken;
  } cases[] = {
      {{"--profile=2", "show"}, {"--profile", "2", "show"}},
      {{"--out=a=b"}, {"--out", "a=b"}},
      {{"--model="}, {"--model", ""}},
      // Only long options; values and words keep their "=".
      {{"-o=x", "rate=250", "--json"}, {"-o=x", "rate=250", "--json"}},
      // Nothing after "--" is an option.
      {{"--a=1", "--", "--b=2"}, {"--a", "1", "--", "--b=2"}},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv{"program"};
    for (const std::string& a : c.given) argv.push_back(a.c_str());
    EXPECT_EQ(SplitOptionValues(int(argv.size()), argv.data()), c.taken) << c.given[0];
  }
}

}  // namespace
}  // namespace qor
