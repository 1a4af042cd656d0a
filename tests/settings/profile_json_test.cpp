// SPDX-License-Identifier: GPL-2.0-or-later
// Profiles as JSON documents: every profile the program makes comes back byte for byte, an
// edited member wins over extra, and bad documents are refused with the path of the bad member.
#include "settings/profile_json.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <random>

#include "macro/macro_model.h"
#include "macro/macro_recording.h"
#include "model/factory_defaults.h"
#include "model/wide_text.h"
#include "settings/button_assignment.h"
#include "settings/cpi_levels.h"
#include "settings/macro_manager_flow.h"
#include "settings/setting_words.h"

namespace qor {
namespace {

using Json = nlohmann::json;
using Profile = std::unique_ptr<TMOUSEPROFILEINFO>;

Profile factory() {
  auto p = std::make_unique<TMOUSEPROFILEINFO>();
  RestoreFactoryProfile(*p);
  return p;
}

bool sameBytes(const TMOUSEPROFILEINFO& a, const TMOUSEPROFILEINFO& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The first offset where two records differ, for the failure message.
std::string firstDifference(const TMOUSEPROFILEINFO& a, const TMOUSEPROFILEINFO& b) {
  const auto* x = reinterpret_cast<const uint8_t*>(&a);
  const auto* y = reinterpret_cast<const uint8_t*>(&b);
  for (std::size_t i = 0; i < sizeof a; ++i)
    if (x[i] != y[i]) return "first difference at byte " + std::to_string(i);
  return "same";
}

TMACROKEYHOOK hookEntry(uint16_t type, uint16_t state, uint16_t value, uint16_t extended = 0) {
  TMACROKEYHOOK e;
  e.nKeyType = type;
  e.nKeyState = state;
  e.nKeyValue = value;
  e.nKeyValueExtended = extended;
  return e;
}

// A key typed `times` times with pauses, as the recorder hands it to the macro manager.
std::vector<TMACROKEYHOOK> typing(uint16_t vk, int times, uint16_t extended = 0) {
  std::vector<TMACROKEYHOOK> entries;
  for (int i = 0; i < times; ++i) {
    entries.push_back(hookEntry(1, 1, vk, extended));
    entries.push_back(hookEntry(0, 0, static_cast<uint16_t>(40 + i)));
    entries.push_back(hookEntry(1, 0, vk, extended));
    entries.push_back(hookEntry(0, 0, 15));
  }
  return entries;
}

// Records a macro named `name` in the macro manager and closes it with OK, giving the macro to
// `button` (-1: to none).
void recordMacro(TMOUSEPROFILEINFO& p, const std::u16string& name,
                 const std::vector<TMACROKEYHOOK>& entries, const RecordingOptions& options,
                 int button = -1) {
  auto manager = TuiMacroClass::CtlCreate(p.MacroKeyInfoList);
  ASSERT_TRUE(manager);
  manager->CreateNewMacro(name);
  TMACROKEYINFO current{};
  ASSERT_TRUE(manager->GetCurrentMacroKeyInfo(current));
  manager->SaveBackCurrentMacroKeyInfo(ConvertRecording(current, entries, options));
  manager->CheckAllErrors();
  MacroManagerResult result;
  result.modalResult = 1;
  result.macroIndex = button < 0 ? -1 : manager->MacroListIndex();
  result.list = p.MacroKeyInfoList;
  ASSERT_TRUE(manager->GetMacroKeyInfoList(result.list));
  ApplyMacroManagerResult(p, button < 0 ? 0 : button, result);
}

void deleteMacro(TMOUSEPROFILEINFO& p, const std::u16string& name) {
  auto manager = TuiMacroClass::CtlCreate(p.MacroKeyInfoList);
  manager->DeleteMacro(name);
  MacroManagerResult result;
  result.modalResult = 1;
  result.list = p.MacroKeyInfoList;
  manager->GetMacroKeyInfoList(result.list);
  ApplyMacroManagerResult(p, 0, result);
}

struct MadeProfile {
  const char* name;
  std::function<void(TMOUSEPROFILEINFO&)> make;  // applied to the factory profile
  bool extraEmpty;                               // every changed byte is a named member's
};

void set(TMOUSEPROFILEINFO& p, int button, const char* word) {
  SetButtonFunction(p, button, word);
}

const RecordingOptions kWithDelays{};
const RecordingOptions kKeysOnly{false, false, 10, false, 1};
const RecordingOptions kLoop3{true, true, 25, true, 3};

const MadeProfile kMadeProfiles[] = {
    {"factory", [](TMOUSEPROFILEINFO&) {}, true},
    {"test_profile", [](TMOUSEPROFILEINFO& p) { RestoreFactoryTestProfile(p); }, false},
    {"reset_keeps_the_macro_records",
     [](TMOUSEPROFILEINFO& p) {
       recordMacro(p, u"Gone", typing(0x5A, 2), kWithDelays, 2);
       p.ConfigInfo.ReportRate = 125;
       RestoreFactoryProfile(p);
     },
     false},
    {"rate_cpi_led_pointer",
     [](TMOUSEPROFILEINFO& p) {
       TMOUSECONFIGINFO& c = p.ConfigInfo;
       c.ReportRate = 1000;
       c.CPIState[1] = {1600, 1200, 1};
       c.CPIState[3].CPIX = c.CPIState[3].CPIY = 3500;
       c.LEDConfig = {1, 2, 3, 0, 3, c.LEDConfig.BREATH_SECOND};
       c.PointerSpeed = 20;
       c.PointerAcceleration = 2;
       c.VWheelSpeed = 30;
       c.DoubleClickSpeed = 1200;
     },
     true},
    {"levels_switched_off",
     [](TMOUSEPROFILEINFO& p) {
       ASSERT_TRUE(SwitchCPILevel(p, 0, false));
       ASSERT_TRUE(SwitchCPILevel(p, 2, false));
     },
     true},
    {"every_menu_function_on_each_button",
     [](TMOUSEPROFILEINFO& p) {
       const std::string words[] = {"right-click", "copy",          "media:mute", "lock-pc",
                                    "disable",     "middle-button", "save",       "forward"};
       for (int i = 0; i < 5; ++i) set(p, i, words[(i * 3) % 8].c_str());
     },
     true},
    {"combos_and_fire_keys",
     [](TMOUSEPROFILEINFO& p) {
       set(p, 0, "combo:ctrl+shift+alt+win+a");
       set(p, 1, "combo:vk_oem_1+f5");
       set(p, 2, "fire:255:65535");
       set(p, 3, "combo:enter");
       set(p, 4, "fire:3:120");
     },
     true},
    {"fire_key_then_combination",  // the fire key's values stay in the entry
     [](TMOUSEPROFILEINFO& p) {
       set(p, 3, "fire:7:300");
       set(p, 3, "combo:ctrl+c");
       set(p, 4, "media:volume-up");
       set(p, 4, "left-click");
     },
     false},
    {"macros_recorded_and_given_to_buttons",
     [](TMOUSEPROFILEINFO& p) {
       recordMacro(p, u"Open door", typing(0x41, 3), kWithDelays, 3);
       recordMacro(p, u"Keys only", typing(0x21, 2, 1), kKeysOnly, 4);
       recordMacro(p, u"Ünïcode 🐭", typing(0xBA, 1), kLoop3);
       recordMacro(p, u"Longest", typing(0x70, 32), kWithDelays);  // cut at 127 actions
     },
     false},
    {"five_macros_on_buttons_then_one_deleted",
     [](TMOUSEPROFILEINFO& p) {
       for (int i = 0; i < 5; ++i)
         recordMacro(p, u"M" + std::u16string(1, char16_t(u'1' + i)), typing(0x31 + i, 1),
                     kWithDelays, i);
       deleteMacro(p, u"M3");
     },
     false},
    {"twenty_macros",
     [](TMOUSEPROFILEINFO& p) {
       for (int i = 0; i < kMaxMacroListCount; ++i)
         recordMacro(p, u"Macro " + toUtf16(std::to_string(i)), typing(0x41 + i, 1), kKeysOnly);
     },
     false},
};

class MadeProfileTest : public testing::TestWithParam<MadeProfile> {};

TEST_P(MadeProfileTest, ComesBackByteForByte) {
  Profile p = factory();
  GetParam().make(*p);
  const std::string text = ProfileToJson(*p);
  const ParsedProfile back = ParseProfileJson(text);
  ASSERT_TRUE(back.profile) << back.Refusal() << "\n" << text;
  EXPECT_TRUE(sameBytes(*back.profile, *p)) << firstDifference(*back.profile, *p) << "\n" << text;
  const Json doc = Json::parse(text);
  EXPECT_EQ(doc["extra"].empty(), GetParam().extraEmpty) << doc["extra"].dump();
  // Written again, the document is the same text.
  EXPECT_EQ(ProfileToJson(*back.profile), text);
}

INSTANTIATE_TEST_SUITE_P(Profiles, MadeProfileTest, testing::ValuesIn(kMadeProfiles),
                         [](const testing::TestParamInfo<MadeProfile>& info) {
                           return std::string(info.param.name);
                         });

TEST(ProfileJson, NamesWhatSetNames) {
  Profile p = factory();
  set(*p, 3, "combo:ctrl+shift+a");
  recordMacro(*p, u"Open door", typing(0x41, 1), kWithDelays, 4);
  p->ConfigInfo.VWheelSpeed = 30;
  const Json doc = Json::parse(ProfileToJson(*p));
  EXPECT_EQ(doc["format"], "qorcfg51-profile");
  EXPECT_EQ(doc["version"], 1);
  EXPECT_EQ(doc["recordVersion"], 258);
  EXPECT_EQ(doc["buttons"][0], (Json{{"button", 1}, {"function", "left-click"}}));
  EXPECT_EQ(doc["buttons"][3]["function"], "combo:ctrl+shift+a");
  EXPECT_EQ(doc["buttons"][4]["function"], "macro:Open door");
  // The mouse's own entries past the fifth name no function of set.
  EXPECT_TRUE(doc["buttons"][5]["function"].is_null());
  EXPECT_EQ(doc["cpi"]["levels"][1], (Json{{"x", 1000}, {"y", 1000}, {"enabled", true}}));
  EXPECT_EQ(doc["pointer"]["wheelLines"], "page");
  EXPECT_EQ(doc["macros"][0]["name"], "Open door");
  EXPECT_EQ(doc["macros"][0]["actions"],
            Json::parse(R"([{"press":"a"},{"delay":40},{"release":"a"},{"delay":15}])"));
}

TEST(ProfileJson, RecordsMadeElsewhereComeBackToo) {
  // Values the text refuses (333 Hz, level 0 CPI) and bytes anywhere: left out, carried.
  std::mt19937 random(51);
  for (int round = 0; round < 4; ++round) {
    Profile p = factory();
    auto* bytes = reinterpret_cast<uint8_t*>(p.get());
    const int changed = round == 0 ? 200 : 20000 * round;
    for (int k = 0; k < changed; ++k) bytes[4 + random() % (sizeof *p - 4)] = uint8_t(random());
    p->ConfigInfo.ReportRate = 333;
    const std::string text = ProfileToJson(*p);
    const ParsedProfile back = ParseProfileJson(text);
    ASSERT_TRUE(back.profile) << back.Refusal();
    EXPECT_TRUE(sameBytes(*back.profile, *p)) << firstDifference(*back.profile, *p);
    EXPECT_FALSE(Json::parse(text).contains("reportRate"));
  }
}

TEST(ProfileJson, AnEditedMemberWinsOverExtra) {
  Profile p = factory();
  set(*p, 3, "fire:7:300");
  set(*p, 3, "combo:ctrl+c");  // the fire key's values stay, carried in extra
  Json doc = Json::parse(ProfileToJson(*p));
  ASSERT_FALSE(doc["extra"].empty());
  doc["buttons"][3]["function"] = "media:mute";
  doc["reportRate"] = 250;
  doc["macros"] = Json::parse(R"([{"name":"Hi","actions":[{"press":"h"},{"release":"h"}]}])");
  const ParsedProfile back = ParseProfileJson(doc.dump());
  ASSERT_TRUE(back.profile) << back.Refusal();
  Profile expected = factory();
  *expected = *p;
  // The combination was the word's; only the fire key's values were extra's.
  expected->ConfigInfo.ButtonFuncInfo[3].ComboKeyInfo =
      factory()->ConfigInfo.ButtonFuncInfo[3].ComboKeyInfo;
  set(*expected, 3, "media:mute");
  expected->ConfigInfo.ReportRate = 250;
  TMACROKEYINFO& m = expected->MacroKeyInfoList.MacroInfos[0];
  writeWideField(m.szMacroName, u"Hi", TextFit::Refuse);
  m.MacroList[0] = TMACROKEY{4, 1, 0x48, 0};
  m.MacroList[1] = TMACROKEY{4, 0, 0x48, 0};
  m.MacroListCount = 2;
  expected->MacroKeyInfoList.nMacroInfoCount = 1;
  EXPECT_TRUE(sameBytes(*back.profile, *expected)) << firstDifference(*back.profile, *expected);
}

TEST(ProfileJson, AShortDocumentIsTheFactoryProfileWithItsMembers) {
  const ParsedProfile back = ParseProfileJson(
      R"({"format":"qorcfg51-profile","version":1,"reportRate":1000,
          "buttons":[{},{"function":"Copy"}]})");
  ASSERT_TRUE(back.profile) << back.Refusal();
  Profile expected = factory();
  expected->ConfigInfo.ReportRate = 1000;
  set(*expected, 1, "copy");
  EXPECT_TRUE(sameBytes(*back.profile, *expected)) << firstDifference(*back.profile, *expected);
}

std::string document(const std::string& members) {
  return R"({"format":"qorcfg51-profile","version":1)" + (members.empty() ? "" : "," + members) +
         "}";
}

std::string manyActions(int n) {
  std::string actions;
  for (int i = 0; i < n; ++i) actions += std::string(i ? "," : "") + R"({"delay":10})";
  return document(R"("macros":[{"name":"long","actions":[)" + actions + "]}]");
}

struct BadCase {
  const char* name;
  std::string text;
  const char* path;
  const char* why;  // a part of the reason
};

const BadCase kBadDocuments[] = {
    {"empty", "", "", "not JSON text"},
    {"cut", R"({"format":"qorcfg51-profile","version":)", "", "not JSON text"},
    {"trailing_comma", document(R"("reportRate":500,)"), "", "not JSON text"},
    {"not_utf8", document("\"macros\":[{\"name\":\"caf\xE9\"}]"), "", "ill-formed UTF-8"},
    {"bom_then_latin1", "\xEF\xBB\xBF{\"format\":\"qorcfg51-profile\xFF\"}", "", "not JSON text"},
    {"nested_too_deep", std::string(5000, '[') + std::string(5000, ']'), "", "nested deeper"},
    {"array", "[]", "", "expected an object, not an array"},
    {"other_format", R"({"format":"pfx","version":1})", "format", "expected \"qorcfg51-profile\""},
    {"no_version", R"({"format":"qorcfg51-profile"})", "version", "missing"},
    {"later_version", R"({"format":"qorcfg51-profile","version":2})", "version",
     "reads version 1 only"},
    {"unknown_member", document(R"("colour":"red")"), "colour", "unknown member"},
    {"rate_as_text", document(R"("reportRate":"500")"), "reportRate",
     "expected a whole number, not a string"},
    {"rate_fraction", document(R"("reportRate":500.5)"), "reportRate", "not 500.5"},
    {"rate_unknown", document(R"("reportRate":333)"), "reportRate",
     "125, 250, 500 or 1000 Hz, not 333"},
    {"number_past_a_double", document(R"("reportRate":1e999)"), "", "number overflow"},
    {"rate_past_64_bits", document(R"("reportRate":18446744073709551616)"), "reportRate",
     "expected a whole number"},
    {"rate_huge", document(R"("reportRate":18446744073709551615)"), "reportRate",
     "must be from 0 to 65535"},
    {"record_version", document(R"("recordVersion":259)"), "recordVersion",
     "must be from 258 to 258"},
    {"unknown_function", document(R"("buttons":[{},{},{},{"function":"ctrl+"}])"),
     "buttons[3].function", "\"ctrl+\" is not a button function"},
    {"function_as_number", document(R"("buttons":[{"function":1}])"), "buttons[0].function",
     "expected a string"},
    {"missing_macro", document(R"("buttons":[{"function":"macro:Nope"}])"), "buttons[0].function",
     "no macro named \"Nope\""},
    {"fire_count", document(R"("buttons":[{"function":"fire:0:10"}])"), "buttons[0].function",
     "repeat count must be a whole number from 1 to 255"},
    {"six_macros_on_buttons",
     document(R"("macros":[{"name":"a"},{"name":"b"},{"name":"c"},{"name":"d"},{"name":"e"},
                {"name":"f"}],"buttons":[{"function":"macro:a"},{"function":"macro:b"},
                {"function":"macro:c"},{"function":"macro:d"},{"function":"macro:e"},
                {"function":"macro:f"}])"),
     "buttons[5].function", "shall not exceed 5"},
    {"button_out_of_place", document(R"("buttons":[{"button":2}])"), "buttons[0].button",
     "is button 1"},
    {"sixteen_buttons", document(R"("buttons":[{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{}])"),
     "buttons", "16 buttons; at most 15"},
    {"button_count", document(R"("buttonCount":16)"), "buttonCount", "from 0 to 15"},
    {"cpi_low", document(R"("cpi":{"levels":[{},{"x":100}]})"), "cpi.levels[1].x",
     "from 250 to 3500, not 100"},
    {"cpi_all_off",
     document(R"("cpi":{"levels":[{"enabled":false},{"enabled":false},{"enabled":false},
                {"enabled":false}]})"),
     "cpi.levels", "one always stays on"},
    {"cpi_enabled_as_number", document(R"("cpi":{"levels":[{"enabled":1}]})"),
     "cpi.levels[0].enabled", "expected true or false, not 1"},
    {"active_level", document(R"("cpi":{"activeLevel":0})"), "cpi.activeLevel", "from 1 to 4"},
    {"led_red", document(R"("led":{"r":256})"), "led.r", "from 0 to 255, not 256"},
    {"led_brightness", document(R"("led":{"brightness":-1})"), "led.brightness", "not -1"},
    {"led_as_array", document(R"("led":[1,2,3])"), "led", "expected an object, not an array"},
    {"wheel_word", document(R"("pointer":{"wheelLines":"pages"})"), "pointer.wheelLines",
     "expected a whole number, not a string"},
    {"double_click", document(R"("pointer":{"doubleClickMs":100})"), "pointer.doubleClickMs",
     "from 200 to 1200"},
    {"macro_200_actions", manyActions(200), "macros[0].actions", "200 actions; at most 128"},
    {"twenty_two_macros", document(R"("macros":[{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},
                {},{},{},{},{},{}])"),
     "macros", "22 macros; at most 21"},
    {"macro_name_too_long", document(R"("macros":[{"name":")" + std::string(51, 'x') + "\"}]"),
     "macros[0].name", "longer than 50 UTF-16 units"},
    {"two_verbs", document(R"("macros":[{"actions":[{"press":"a","delay":5}]}])"),
     "macros[0].actions[0]", "one of press, release, delay or raw"},
    {"unknown_key", document(R"("macros":[{"actions":[{"press":"a"},{"release":"nokey"}]}])"),
     "macros[0].actions[1].release", "unknown key \"nokey\""},
    {"raw_short", document(R"("macros":[{"actions":[{"raw":[4,1,65]}]}])"),
     "macros[0].actions[0].raw", "expected [type, state, value1, value2]"},
    {"raw_byte", document(R"("macros":[{"actions":[{"raw":[4,1,300,0]}]}])"),
     "macros[0].actions[0].raw[2]", "from 0 to 255"},
    {"delay_long", document(R"("macros":[{"actions":[{"delay":70000}]}])"),
     "macros[0].actions[0].delay", "from 0 to 65535"},
    {"repeat", document(R"("macros":[{"repeat":256}])"), "macros[0].repeat", "from 0 to 255"},
    {"extra_name", document(R"("extra":{"x12":"00"})"), "extra.x12", "named by its byte offset"},
    {"extra_leading_zero", document(R"("extra":{"0100":"00"})"), "extra.0100",
     "named by its byte offset"},
    {"extra_odd", document(R"("extra":{"100":"abc"})"), "extra.100", "hexadecimal digits"},
    {"extra_not_hex", document(R"("extra":{"100":"zz"})"), "extra.100", "hexadecimal digits"},
    {"extra_version", document(R"("extra":{"2":"0000"})"), "extra.2", "covers the record version"},
    {"extra_past_end", document(R"("extra":{"109887":"0000"})"), "extra.109887",
     "ends past the record's 109888 bytes"},
    {"extra_overlap", document(R"("extra":{"100":"000000","102":"00"})"), "extra.102",
     "overlaps extra.100"},
    {"too_large", document(R"("extra":{"100":")" + std::string(2 * 1024 * 1024, '0') + "\"}"), "",
     "at most 2097152 are read"},
};

class BadDocumentTest : public testing::TestWithParam<BadCase> {};

TEST_P(BadDocumentTest, IsRefusedWithThePathOfTheBadMember) {
  const ParsedProfile r = ParseProfileJson(GetParam().text);
  EXPECT_FALSE(r.profile);
  EXPECT_EQ(r.path, GetParam().path) << r.Refusal();
  EXPECT_NE(r.why.find(GetParam().why), std::string::npos) << r.Refusal();
  if (!r.path.empty()) {
    EXPECT_EQ(r.Refusal().rfind(r.path + ": ", 0), 0u) << r.Refusal();
  }
}

INSTANTIATE_TEST_SUITE_P(Documents, BadDocumentTest, testing::ValuesIn(kBadDocuments),
                         [](const testing::TestParamInfo<BadCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(ProfileJson, TellsADocumentFromARecordByItsStart) {
  EXPECT_TRUE(LooksLikeProfileJson("{"));
  EXPECT_TRUE(LooksLikeProfileJson("\xEF\xBB\xBF \r\n\t{\"format\""));
  EXPECT_FALSE(LooksLikeProfileJson(std::string("\x02\x01\x00\x00", 4)));
  EXPECT_FALSE(LooksLikeProfileJson("  [ {"));
  EXPECT_FALSE(LooksLikeProfileJson("   "));
}

}  // namespace
}  // namespace qor
