// SPDX-License-Identifier: GPL-2.0-or-later
#include "model/include_list.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "test_support/temp_dir.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

TEST(IncludeList, FilesAreMergedInOrderEachReadByTheSameRules) {
  struct Case {
    const char* name;
    // config.ini of the program folder, the machine and the user; nullopt: no file
    std::optional<std::string> program, system, user;
    std::vector<std::string> expected;
  };
  const std::string sim = "[IncludeHIDDeviceList]\nid1=HID\\VID_1209&PID_0001\n";
  const Case cases[] = {
      {"program, machine, user",
       sim,
       "[IncludeHIDDeviceList]\nid1=B\nid2=C\n",
       "[IncludeHIDDeviceList]\nid1=D\n",
       {"HID\\VID_1209&PID_0001", "B", "C", "D"}},
      {"missing files add nothing",
       sim,
       std::nullopt,
       "[IncludeHIDDeviceList]\nid1=D\n",
       {"HID\\VID_1209&PID_0001", "D"}},
      {"no program folder file",
       std::nullopt,
       std::nullopt,
       "[IncludeHIDDeviceList]\nid1=D\n",
       {"D"}},
      {"a repeat in another letter case is taken once, as first written",
       sim,
       "[IncludeHIDDeviceList]\nid1=hid\\vid_1209&pid_0001\nid2=B\n",
       "[IncludeHIDDeviceList]\nid1=b\nid2=HID\\VID_1209&PID_0001\n",
       {"HID\\VID_1209&PID_0001", "B"}},
      {"names in any letter case; each file stops at its own gap",
       sim,
       "[includehiddevicelist]\nID1=B\nid3=X\n",
       "[INCLUDEHIDDEVICELIST]\nId1=D\nid2=\nid3=Y\n",
       {"HID\\VID_1209&PID_0001", "B", "D"}},
      {"an empty list in the middle ends nothing",
       sim,
       "[IncludeHIDDeviceList]\nid1=\n",
       "[IncludeHIDDeviceList]\nid1=D\n",
       {"HID\\VID_1209&PID_0001", "D"}},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    std::vector<fs::path> files;
    for (const auto& [folder, content] :
         {std::pair{"program", c.program}, {"etc", c.system}, {"user", c.user}}) {
      fs::create_directories(dir / folder);
      files.push_back(dir / folder / "config.ini");
      if (content) test::writeText(files.back(), *content);
    }
    EXPECT_EQ(MergeIncludeLists(files), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace qor
