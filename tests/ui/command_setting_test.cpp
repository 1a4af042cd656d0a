// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/command_setting.h"

namespace qor {
namespace {

TEST(CommandSetting, RunsTheAssignedHandlersInListOrder) {
  TuiCommandSetting setting;
  EXPECT_TRUE(setting.GetData(nullptr, 0));  // no commands
  setting.Commands().Add();
  EXPECT_TRUE(setting.SetData(nullptr, 0));  // a command without handler

  std::vector<std::string> calls;
  int buffer = 0;
  auto record = [&](const char* who) {
    return [&calls, &buffer, who](TuiGetSet type, void* b, uint32_t size) {
      EXPECT_EQ(b, &buffer);
      calls.push_back(std::string(who) + (type == TuiGetSet::uiGet ? " get " : " set ") +
                      std::to_string(size));
    };
  };
  setting.Commands().Add("first").OnExecute = record("first");
  setting.Commands().Add().OnExecute = record("second");
  EXPECT_TRUE(setting.SetData(&buffer, 4));
  EXPECT_TRUE(setting.GetData(&buffer, 8));
  EXPECT_EQ(calls, (std::vector<std::string>{"first set 4", "second set 4", "first get 8",
                                             "second get 8"}));
}

TEST(CommandSetting, UnnamedCommandsTakeTheLowestFreeNumber) {
  TuiCommands commands;
  for (int i = 0; i < 3; ++i) commands.Add();
  EXPECT_EQ(commands.Items(2).Name, "Command3");
  commands.Delete(commands.IndexOf("Command2"));
  EXPECT_EQ(commands.Add().Name, "Command2");
  commands.Add("Command4");
  EXPECT_EQ(commands.Add().Name, "Command5");
  commands.Delete(9);  // ignored
  EXPECT_EQ(commands.Count(), 5);
}

TEST(CommandSetting, AHandlerMayRemoveCommandsWhileThePassRuns) {
  TuiCommandSetting setting;
  int ran = 0;
  setting.Commands().Add().OnExecute = [&](TuiGetSet, void*, uint32_t) {
    ++ran;
    setting.Commands().Clear();
  };
  setting.Commands().Add().OnExecute = [&](TuiGetSet, void*, uint32_t) { ++ran; };
  EXPECT_TRUE(setting.SetData(nullptr, 0));
  EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace qor
