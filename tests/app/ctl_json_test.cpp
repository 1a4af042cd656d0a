// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl with profiles as JSON documents: export, import and show --json, against the
// stored files' real bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "app/ctl_installation.h"
#include "test_support/bytes.h"

namespace qor {
namespace {

using test::Bytes;
using test::CtlRun;
using test::Installation;
namespace fs = std::filesystem;

void writeText(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

std::string quoted(const fs::path& file) {
  return "'" + file.string() + "'";
}

// A document with two macros on buttons, as a user would write one.
const char* const kMacroDocument = R"({
  "format": "qorcfg51-profile", "version": 1,
  "macros": [
    {"name": "Open door", "repeat": 2, "delaysShown": true,
     "actions": [{"press": "l-ctrl"}, {"press": "a"}, {"delay": 120}, {"release": "a"},
                 {"release": "l-ctrl"}, {"raw": [1, 1, 1, 0]}, {"raw": [1, 0, 1, 0]}]},
    {"name": "Größe", "actions": [{"press": "f5"}, {"release": "f5"}]}
  ],
  "buttons": [{}, {}, {}, {"function": "macro:Open door"}, {"function": "macro:Größe"}]
})";

struct Made {
  const char* name;
  std::vector<std::string> commands;  // run in order before the export
};

const Made kMade[] = {
    {"factory", {}},
    {"factory_of_slot_3", {"switch 3"}},
    {"every_setting_of_set",
     {"set rate 1000", "set cpi 2 1600 1200", "set cpi-enabled 3 off", "set led 1 2 3",
      "set brightness 0", "set breathing 3", "set pointer-speed 20", "set acceleration 2",
      "set wheel-lines page", "set double-click 1200"}},
    {"button_functions",
     {"set button 1 copy", "set button 2 media:mute", "set button 3 combo:ctrl+shift+a",
      "set button 4 fire:3:120", "set button 5 combo:vk_oem_1+f5"}},
    {"fire_key_replaced", {"set button 4 fire:9:400", "set button 4 disable"}},
    {"macros_imported_then_moved", {"import MACROS", "set button 4 right-click"}},
};

class CtlMadeProfile : public testing::TestWithParam<Made> {};

TEST_P(CtlMadeProfile, ExportedAsJsonImportsElsewhereToTheSameBytes) {
  Installation a, b;
  writeText(a / "macros.json", kMacroDocument);
  for (std::string command : GetParam().commands) {
    if (const auto at = command.find("MACROS"); at != std::string::npos)
      command.replace(at, 6, quoted(a / "macros.json"));
    CtlRun r = a.ctl(command);
    ASSERT_EQ(r.status, 0) << command << "\n" << r.err;
  }
  ASSERT_EQ(a.ctl("export " + quoted(a / "p.PFX")).status, 0);
  CtlRun r = a.ctl("export --format json " + quoted(a / "p.json"));
  ASSERT_EQ(r.status, 0) << r.err;
  const Bytes json = test::readBytes(a / "p.json");
  // show --json prints the same document.
  EXPECT_EQ(a.ctl("show --json").out, std::string(json.begin(), json.end()));

  r = b.ctl("import " + quoted(a / "p.json"));
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(b.ctl("export " + quoted(b / "back.PFX")).status, 0);
  EXPECT_EQ(test::readBytes(b / "back.PFX"), test::readBytes(a / "p.PFX"));
}

INSTANTIATE_TEST_SUITE_P(Profiles, CtlMadeProfile, testing::ValuesIn(kMade),
                         [](const testing::TestParamInfo<Made>& info) {
                           return std::string(info.param.name);
                         });

TEST(CtlJson, EveryFactorySlotComesBack) {
  Installation a;
  ASSERT_EQ(a.ctl("switch 1").status, 0);
  for (int n = 1; n <= 5; ++n) {
    const std::string json = quoted(a / ("slot" + std::to_string(n) + ".json"));
    ASSERT_EQ(a.ctl("export --profile " + std::to_string(n) + " --format=json " + json).status, 0);
    const Bytes before = test::readBytes(a.slotFile(n));
    CtlRun r = a.ctl("import --profile " + std::to_string(n) + " " + json);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::readBytes(a.slotFile(n)), before) << "profile " << n;
  }
}

// Every stored file of an installation with its bytes.
std::map<std::string, Bytes> storedFiles(const Installation& home) {
  std::map<std::string, Bytes> files;
  for (const char* folder : {"docs", "config"})
    for (const auto& e : fs::recursive_directory_iterator(home / folder))
      if (e.is_regular_file()) files[e.path().string()] = test::readBytes(e.path());
  return files;
}

TEST(CtlJson, RefusedDocumentsChangeNothing) {
  Installation home;
  ASSERT_EQ(home.ctl("set rate 250").status, 0);
  const auto before = storedFiles(home);
  const std::string head = R"({"format":"qorcfg51-profile","version":1,)";
  std::string actions;
  for (int i = 0; i < 200; ++i) actions += std::string(i ? "," : "") + R"({"delay":5})";
  struct Case {
    const char* name;
    std::string content;
    const char* says;
  } cases[] = {
      {"malformed", head + R"("reportRate":500,})", "not JSON text"},
      {"wrong_type", head + R"("led":{"r":"red"}})", "led.r: expected a whole number"},
      {"unknown_function", head + R"("buttons":[{},{},{},{"function":"ctrl+"}]})",
       R"(buttons[3].function: "ctrl+" is not a button function)"},
      {"out_of_range", head + R"("pointer":{"speed":21}})", "pointer.speed: must be from 1 to 20"},
      {"macro_200_actions", head + R"("macros":[{"actions":[)" + actions + "]}]}",
       "macros[0].actions: 200 actions; at most 128"},
      {"not_utf8", head + "\"macros\":[{\"name\":\"\xC3\x28\"}]}", "ill-formed UTF-8"},
      {"fifty_megabytes", head + "\"extra\":{\"100\":\"" + std::string(50 << 20, '0') + "\"}}",
       "file is too large"},
  };
  for (const Case& c : cases) {
    const fs::path file = home / (std::string(c.name) + ".json");
    writeText(file, c.content);
    CtlRun r = home.ctl("import " + quoted(file));
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << "\n" << r.err;
    EXPECT_NE(r.err.find("nothing was imported"), std::string::npos) << c.name << "\n" << r.err;
    fs::remove(file);
  }
  EXPECT_EQ(storedFiles(home), before);
}

TEST(CtlJson, ExportTakesPfxOrJsonOnly) {
  Installation home;
  for (const char* args : {"export --format xml out", "export --format json", "export --format"}) {
    CtlRun r = home.ctl(args);
    EXPECT_EQ(r.status, 2) << args;
  }
  ASSERT_EQ(home.ctl("export --format pfx " + quoted(home / "out.PFX")).status, 0);
  EXPECT_EQ(fs::file_size(home / "out.PFX"), 109888u);
}

}  // namespace
}  // namespace qor
