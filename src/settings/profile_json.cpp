// SPDX-License-Identifier: GPL-2.0-or-later
#include "settings/profile_json.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "macro/macro_model.h"
#include "model/factory_defaults.h"
#include "model/wide_text.h"
#include "protocol/profile_blocks.h"
#include "settings/cpi_levels.h"
#include "settings/setting_words.h"

namespace qor {
namespace {

// Documents are read into sorted maps (an object of many members stays cheap) and written
// with their members in the order given.
using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

constexpr std::size_t kRecordBytes = sizeof(TMOUSEPROFILEINFO);
// The record's version field, which "recordVersion" alone names.
constexpr std::size_t kVersionBytes = sizeof(TProfileHeader::FFileVersion);
// The deepest document: root, macros, a macro, its actions, an action, a raw action.
constexpr int kMaxDepth = 6;
constexpr uint16_t kWheelPage = 30;
constexpr int kMaxButtonCount = kButtonEntries;

struct JsonRefused {
  std::string path;
  std::string why;
};

[[noreturn]] void refuse(const std::string& path, std::string why) {
  throw JsonRefused{path, std::move(why)};
}

std::string memberPath(const std::string& path, std::string_view name) {
  return path.empty() ? std::string(name) : path + "." + std::string(name);
}

std::string itemPath(const std::string& path, std::size_t i) {
  return path + "[" + std::to_string(i) + "]";
}

// A value as a refusal names it: numbers as written, other values by their kind.
std::string kindOf(const Json& v) {
  if (v.is_number()) return v.dump();
  if (v.is_string()) return "a string";
  if (v.is_object()) return "an object";
  if (v.is_array()) return "an array";
  return v.dump();  // true, false, null
}

// Checks that `v` is an object holding no member but `known`.
void checkObject(const Json& v, const std::string& path,
                 std::initializer_list<std::string_view> known) {
  if (!v.is_object()) refuse(path, "expected an object, not " + kindOf(v));
  for (auto it = v.begin(); it != v.end(); ++it)
    if (std::find(known.begin(), known.end(), it.key()) == known.end())
      refuse(memberPath(path, it.key()), "unknown member");
}

const Json* find(const Json& object, std::string_view name) {
  auto it = object.find(name);
  return it == object.end() ? nullptr : &*it;
}

const Json& checkArray(const Json& v, const std::string& path, std::size_t most, const char* what) {
  if (!v.is_array()) refuse(path, "expected an array, not " + kindOf(v));
  if (v.size() > most)
    refuse(path, std::to_string(v.size()) + " " + what + "; at most " + std::to_string(most));
  return v;
}

int64_t whole(const Json& v, const std::string& path, int64_t lo, int64_t hi) {
  if (!v.is_number_integer()) refuse(path, "expected a whole number, not " + kindOf(v));
  // Numbers past int64_t's range come as unsigned; every range here is within it.
  const bool inRange = v.is_number_unsigned() ? v.get<uint64_t>() <= static_cast<uint64_t>(hi) &&
                                                    static_cast<int64_t>(v.get<uint64_t>()) >= lo
                                              : v.get<int64_t>() >= lo && v.get<int64_t>() <= hi;
  if (!inRange)
    refuse(path, "must be from " + std::to_string(lo) + " to " + std::to_string(hi) + ", not " +
                     v.dump());
  return v.get<int64_t>();
}

bool boolean(const Json& v, const std::string& path) {
  if (!v.is_boolean()) refuse(path, "expected true or false, not " + kindOf(v));
  return v.get<bool>();
}

const std::string& text(const Json& v, const std::string& path) {
  if (!v.is_string()) refuse(path, "expected a string, not " + kindOf(v));
  return v.get_ref<const std::string&>();
}

uint8_t* bytesOf(TMOUSEPROFILEINFO& p) {
  return reinterpret_cast<uint8_t*>(&p);
}
const uint8_t* bytesOf(const TMOUSEPROFILEINFO& p) {
  return reinterpret_cast<const uint8_t*>(&p);
}

// The profile every document starts from.
const TMOUSEPROFILEINFO& factoryProfile() {
  static const std::unique_ptr<TMOUSEPROFILEINFO> factory = [] {
    auto p = std::make_unique<TMOUSEPROFILEINFO>();
    RestoreFactoryProfile(*p);
    return p;
  }();
  return *factory;
}

// ---- Writing --------------------------------------------------------------------------------

// The word of a button entry, or null when no word that set takes names it.
OrderedJson buttonFunction(const TMOUSEPROFILEINFO& p, const TBUTTONFUNCINFO& entry) {
  const std::string word = ButtonFunctionWord(entry);
  if (word.empty()) return nullptr;
  try {
    ParseButtonFunction(p, word);
  } catch (const Refused&) {
    return nullptr;
  }
  return word;
}

// A key or delay by its word; anything else as its four stored values.
OrderedJson macroAction(const TMACROKEY& a) {
  if (a.nKeyType == kMacroDelay && a.nKeyState == 0) return OrderedJson{{"delay", ActionValue(a)}};
  if (a.nKeyType == kMacroKeyboardKey &&
      (a.nKeyState == kMacroKeyDown || a.nKeyState == kMacroKeyUp)) {
    const NamedKey key{a.VALUE1, a.VALUE2};
    const std::string word = KeyWord(key);
    if (!word.empty() && KeyByWord(word) == key)
      return OrderedJson{{a.nKeyState == kMacroKeyDown ? "press" : "release", word}};
  }
  return OrderedJson{{"raw", {a.nKeyType, a.nKeyState, a.VALUE1, a.VALUE2}}};
}

OrderedJson macro(const TMACROKEYINFO& m) {
  OrderedJson out = OrderedJson::object();
  const std::u16string name = MacroName(m);
  // A name with an unpaired surrogate has no UTF-8 form; its units travel in extra.
  if (toUtf16(toUtf8(name)) == name) out["name"] = toUtf8(name);
  out["repeat"] = m.nLoopCount;
  if (m.nAutoAddDelay <= 1) out["delaysShown"] = m.nAutoAddDelay == 1;
  OrderedJson actions = OrderedJson::array();
  for (int k = 0; k < MacroActionCount(m); ++k) actions.push_back(macroAction(m.MacroList[k]));
  out["actions"] = std::move(actions);
  return out;
}

// Every named member as `profile` holds it, whether or not the reading side takes it.
OrderedJson describe(const TMOUSEPROFILEINFO& p) {
  const TMOUSECONFIGINFO& c = p.ConfigInfo;
  OrderedJson doc = OrderedJson::object();
  doc["format"] = std::string(kProfileJsonFormat);
  doc["version"] = kProfileJsonVersion;
  doc["recordVersion"] = p.ProfileHeader.FFileVersion;
  doc["buttonCount"] = c.ButtonCount;
  OrderedJson buttons = OrderedJson::array();
  for (int i = 0; i < std::clamp(c.ButtonCount, 0, kMaxButtonCount); ++i)
    buttons.push_back(
        OrderedJson{{"button", i + 1}, {"function", buttonFunction(p, c.ButtonFuncInfo[i])}});
  doc["buttons"] = std::move(buttons);
  OrderedJson levels = OrderedJson::array();
  for (int i = 0; i < kEditableCPILevels; ++i) {
    const TCPISTATE& s = c.CPIState[i];
    OrderedJson level{{"x", s.CPIX}, {"y", s.CPIY}};
    if (s.Enabled <= 1) level["enabled"] = s.Enabled == 1;
    levels.push_back(std::move(level));
  }
  doc["cpi"] =
      OrderedJson{{"levels", std::move(levels)}, {"activeLevel", int64_t{c.CurrentCPIIndex} + 1}};
  doc["reportRate"] = c.ReportRate;
  const TLEDCONFIG& led = c.LEDConfig;
  doc["led"] = OrderedJson{{"r", led.R},
                           {"g", led.G},
                           {"b", led.B},
                           {"brightness", led.BRIGHT_LEVEL},
                           {"breathing", led.BREATH_SPEED}};
  doc["pointer"] =
      OrderedJson{{"speed", c.PointerSpeed},
                  {"acceleration", c.PointerAcceleration},
                  {"wheelLines",
                   c.VWheelSpeed == kWheelPage ? OrderedJson("page") : OrderedJson(c.VWheelSpeed)},
                  {"doubleClickMs", c.DoubleClickSpeed}};
  OrderedJson macros = OrderedJson::array();
  const TMACROKEYINFOLIST& list = p.MacroKeyInfoList;
  for (int i = 0; i < std::min<int>(list.nMacroInfoCount, kProfileMacroSlots); ++i)
    macros.push_back(macro(list.MacroInfos[i]));
  doc["macros"] = std::move(macros);
  return doc;
}

// A value on one line: "key": value pairs and items separated by ", ".
std::string oneLine(const OrderedJson& v) {
  if (!v.is_structured()) return v.dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
  std::string line = v.is_object() ? "{" : "[";
  for (auto it = v.begin(); it != v.end(); ++it) {
    if (it != v.begin()) line += ", ";
    if (v.is_object()) line += OrderedJson(it.key()).dump() + ": ";
    line += oneLine(*it);
  }
  return line + (v.is_object() ? "}" : "]");
}

// Indented by two spaces a level, a value on one line where it fits in kLineWidth columns, so
// that a button, a level or a macro action reads as one line.
constexpr std::size_t kLineWidth = 96;
void writeIndented(std::string& out, const OrderedJson& v, std::size_t depth) {
  const std::string line = oneLine(v);
  if (!v.is_structured() || 2 * depth + line.size() <= kLineWidth) {
    out += line;
    return;
  }
  out += v.is_object() ? "{\n" : "[\n";
  for (auto it = v.begin(); it != v.end(); ++it) {
    out.append(2 * depth + 2, ' ');
    if (v.is_object()) out += OrderedJson(it.key()).dump() + ": ";
    writeIndented(out, *it, depth + 1);
    out += std::next(it) == v.end() ? "\n" : ",\n";
  }
  out.append(2 * depth, ' ');
  out += v.is_object() ? "}" : "]";
}

// ---- Reading --------------------------------------------------------------------------------

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Lays the byte runs of "extra" over the record.
void applyExtra(const Json& extra, TMOUSEPROFILEINFO& p) {
  if (!extra.is_object()) refuse("extra", "expected an object, not " + kindOf(extra));
  struct Run {
    std::size_t begin, end;
    std::string name;
  };
  std::vector<Run> runs;
  for (auto it = extra.begin(); it != extra.end(); ++it) {
    const std::string& name = it.key();
    const std::string path = memberPath("extra", name);
    const bool decimal =
        !name.empty() && name.size() <= 6 &&
        std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
        (name.size() == 1 || name[0] != '0');
    if (!decimal) refuse(path, "a member of extra is named by its byte offset, such as \"72546\"");
    const std::string& hex = text(it.value(), path);
    if (hex.empty() || hex.size() % 2 != 0 ||
        !std::all_of(hex.begin(), hex.end(), [](char c) { return hexDigit(c) >= 0; }))
      refuse(path, "expected bytes as an even number of hexadecimal digits");
    const std::size_t begin = std::stoul(name), end = begin + hex.size() / 2;
    if (begin < kVersionBytes) refuse(path, "covers the record version, which recordVersion names");
    if (end > kRecordBytes)
      refuse(path, "ends past the record's " + std::to_string(kRecordBytes) + " bytes");
    runs.push_back({begin, end, name});
    for (std::size_t k = 0; k < hex.size() / 2; ++k)
      bytesOf(p)[begin + k] =
          static_cast<uint8_t>(hexDigit(hex[2 * k]) << 4 | hexDigit(hex[2 * k + 1]));
  }
  // Two runs over one byte would make the result depend on their order.
  std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.begin < b.begin; });
  for (std::size_t k = 1; k < runs.size(); ++k)
    if (runs[k].begin < runs[k - 1].end)
      refuse(memberPath("extra", runs[k].name), "overlaps extra." + runs[k - 1].name);
}

TMACROKEY readAction(const Json& v, const std::string& path) {
  checkObject(v, path, {"press", "release", "delay", "raw"});
  if (v.size() != 1) refuse(path, "an action is one of press, release, delay or raw");
  const auto only = v.begin();
  const std::string& name = only.key();
  const Json& value = only.value();
  const std::string at = memberPath(path, name);
  if (name == "delay") {
    const auto ms = static_cast<uint16_t>(whole(value, at, 0, 65535));
    return TMACROKEY{kMacroDelay, 0, static_cast<uint8_t>(ms & 0xFF),
                     static_cast<uint8_t>(ms >> 8)};
  }
  if (name == "raw") {
    if (!value.is_array() || value.size() != 4)
      refuse(at, "expected [type, state, value1, value2]");
    return TMACROKEY{static_cast<uint16_t>(whole(value[0], itemPath(at, 0), 0, 65535)),
                     static_cast<uint16_t>(whole(value[1], itemPath(at, 1), 0, 65535)),
                     static_cast<uint8_t>(whole(value[2], itemPath(at, 2), 0, 255)),
                     static_cast<uint8_t>(whole(value[3], itemPath(at, 3), 0, 255))};
  }
  const std::string& word = text(value, at);
  const std::optional<NamedKey> key = KeyByWord(word);
  if (!key) refuse(at, "unknown key \"" + word + "\"");
  return TMACROKEY{kMacroKeyboardKey, name == "press" ? kMacroKeyDown : kMacroKeyUp,
                   static_cast<uint8_t>(key->vk), static_cast<uint8_t>(key->extended)};
}

// Each member writes its bytes only where the record does not already read as it, so the bytes
// that extra carries beside a name or a count stay.
void readMacro(const Json& v, const std::string& path, TMACROKEYINFO& m) {
  checkObject(v, path, {"name", "repeat", "delaysShown", "actions"});
  if (const Json* name = find(v, "name")) {
    const std::u16string units = toUtf16(text(*name, memberPath(path, "name")));
    if (units.size() > static_cast<std::size_t>(kMacroNameUnits))
      refuse(memberPath(path, "name"),
             "longer than " + std::to_string(kMacroNameUnits) + " UTF-16 units");
    if (MacroName(m) != units) writeWideField(m.szMacroName, units, TextFit::Refuse);
  }
  if (const Json* repeat = find(v, "repeat"))
    m.nLoopCount = static_cast<uint16_t>(whole(*repeat, memberPath(path, "repeat"), 0, 255));
  if (const Json* shown = find(v, "delaysShown"))
    m.nAutoAddDelay = boolean(*shown, memberPath(path, "delaysShown")) ? 1 : 0;
  if (const Json* actions = find(v, "actions")) {
    const std::string at = memberPath(path, "actions");
    checkArray(*actions, at, kMacroMaxActions, "actions");
    for (std::size_t k = 0; k < actions->size(); ++k)
      m.MacroList[k] = readAction((*actions)[k], itemPath(at, k));
    if (MacroActionCount(m) != static_cast<int>(actions->size()))
      m.MacroListCount = static_cast<int32_t>(actions->size());
  }
}

void readButtons(const Json& v, TMOUSEPROFILEINFO& p) {
  checkArray(v, "buttons", kButtonEntries, "buttons");
  for (std::size_t i = 0; i < v.size(); ++i) {
    const std::string path = itemPath("buttons", i);
    checkObject(v[i], path, {"button", "function"});
    if (const Json* n = find(v[i], "button");
        n &&
        whole(*n, memberPath(path, "button"), 1, kButtonEntries) != static_cast<int64_t>(i) + 1)
      refuse(memberPath(path, "button"),
             "the button at this place is button " + std::to_string(i + 1));
    const Json* function = find(v[i], "function");
    if (!function || function->is_null()) continue;
    const std::string& word = text(*function, memberPath(path, "function"));
    if (ButtonFunctionWord(p.ConfigInfo.ButtonFuncInfo[i]) == word) continue;
    try {
      SetButtonFunction(p, static_cast<int>(i), word);
    } catch (const Refused& r) {
      refuse(memberPath(path, "function"), r.why);
    }
  }
}

void readCPI(const Json& v, TMOUSECONFIGINFO& c) {
  checkObject(v, "cpi", {"levels", "activeLevel"});
  if (const Json* levels = find(v, "levels")) {
    checkArray(*levels, "cpi.levels", kEditableCPILevels, "levels");
    bool switched = false;
    for (std::size_t i = 0; i < levels->size(); ++i) {
      const std::string path = itemPath("cpi.levels", i);
      const Json& level = (*levels)[i];
      checkObject(level, path, {"x", "y", "enabled"});
      TCPISTATE& s = c.CPIState[i];
      if (const Json* x = find(level, "x"))
        s.CPIX = static_cast<uint16_t>(whole(*x, memberPath(path, "x"), kMinCPI, kMaxCPI));
      if (const Json* y = find(level, "y"))
        s.CPIY = static_cast<uint16_t>(whole(*y, memberPath(path, "y"), kMinCPI, kMaxCPI));
      if (const Json* on = find(level, "enabled")) {
        s.Enabled = boolean(*on, memberPath(path, "enabled")) ? 1 : 0;
        switched = true;
      }
    }
    const bool anyOn = std::any_of(c.CPIState, c.CPIState + kEditableCPILevels,
                                   [](const TCPISTATE& s) { return s.Enabled == 1; });
    if (switched && !anyOn) refuse("cpi.levels", "every level is off; one always stays on");
  }
  if (const Json* active = find(v, "activeLevel"))
    c.CurrentCPIIndex =
        static_cast<int32_t>(whole(*active, "cpi.activeLevel", 1, kEditableCPILevels) - 1);
}

void readLED(const Json& v, TLEDCONFIG& led) {
  checkObject(v, "led", {"r", "g", "b", "brightness", "breathing"});
  const std::pair<const char*, uint8_t*> colours[] = {{"r", &led.R}, {"g", &led.G}, {"b", &led.B}};
  for (const auto& [name, field] : colours)
    if (const Json* value = find(v, name))
      *field = static_cast<uint8_t>(whole(*value, memberPath("led", name), 0, 255));
  if (const Json* value = find(v, "brightness"))
    led.BRIGHT_LEVEL = static_cast<uint8_t>(whole(*value, "led.brightness", 0, 3));
  if (const Json* value = find(v, "breathing"))
    led.BREATH_SPEED = static_cast<uint8_t>(whole(*value, "led.breathing", 0, 3));
}

void readPointer(const Json& v, TMOUSECONFIGINFO& c) {
  checkObject(v, "pointer", {"speed", "acceleration", "wheelLines", "doubleClickMs"});
  if (const Json* value = find(v, "speed"))
    c.PointerSpeed = static_cast<uint16_t>(whole(*value, "pointer.speed", 1, 20));
  if (const Json* value = find(v, "acceleration"))
    c.PointerAcceleration = static_cast<uint16_t>(whole(*value, "pointer.acceleration", 0, 3));
  if (const Json* value = find(v, "wheelLines"))
    c.VWheelSpeed = value->is_string() && value->get_ref<const std::string&>() == "page"
                        ? kWheelPage
                        : static_cast<uint16_t>(whole(*value, "pointer.wheelLines", 1, 10));
  if (const Json* value = find(v, "doubleClickMs"))
    c.DoubleClickSpeed = static_cast<uint16_t>(whole(*value, "pointer.doubleClickMs", 200, 1200));
}

// Writes the named members of `doc` into `p`: the macros before the buttons that name them.
void applyNamed(const Json& doc, TMOUSEPROFILEINFO& p) {
  TMOUSECONFIGINFO& c = p.ConfigInfo;
  if (const Json* v = find(doc, "recordVersion"))
    p.ProfileHeader.FFileVersion =
        static_cast<int32_t>(whole(*v, "recordVersion", kProfileFileVersion, kProfileFileVersion));
  if (const Json* v = find(doc, "buttonCount"))
    c.ButtonCount = static_cast<int32_t>(whole(*v, "buttonCount", 0, kMaxButtonCount));
  if (const Json* v = find(doc, "macros")) {
    checkArray(*v, "macros", kProfileMacroSlots, "macros");
    TMACROKEYINFOLIST& list = p.MacroKeyInfoList;
    for (std::size_t i = 0; i < v->size(); ++i)
      readMacro((*v)[i], itemPath("macros", i), list.MacroInfos[i]);
    if (std::min<int>(list.nMacroInfoCount, kProfileMacroSlots) != static_cast<int>(v->size()))
      list.nMacroInfoCount = static_cast<uint16_t>(v->size());
  }
  if (const Json* v = find(doc, "buttons")) readButtons(*v, p);
  if (const Json* v = find(doc, "cpi")) readCPI(*v, c);
  if (const Json* v = find(doc, "reportRate")) {
    const auto hz = whole(*v, "reportRate", 0, 65535);
    if (!IsReportRate(static_cast<uint32_t>(hz)))
      refuse("reportRate", "the report rate is " + ReportRateNames() + " Hz, not " + v->dump());
    c.ReportRate = static_cast<uint16_t>(hz);
  }
  if (const Json* v = find(doc, "led")) readLED(*v, c.LEDConfig);
  if (const Json* v = find(doc, "pointer")) readPointer(*v, c);
}

void checkHeader(const Json& doc) {
  checkObject(doc, "",
              {"format", "version", "recordVersion", "buttonCount", "buttons", "cpi", "reportRate",
               "led", "pointer", "macros", "extra"});
  const Json* format = find(doc, "format");
  if (!format || !format->is_string() ||
      format->get_ref<const std::string&>() != kProfileJsonFormat)
    refuse("format", "expected \"" + std::string(kProfileJsonFormat) + "\"");
  const Json* version = find(doc, "version");
  if (!version) refuse("version", "missing");
  if (whole(*version, "version", 0, INT32_MAX) != kProfileJsonVersion)
    refuse("version",
           "this qorcfg51 reads version " + std::to_string(kProfileJsonVersion) + " only");
}

// The parser's messages, without their exception prefix and with no byte that is not printable
// ASCII (they quote the input).
std::string parserMessage(const char* what) {
  std::string s = what;
  if (const auto close = s.find("] ");
      s.starts_with("[json.exception") && close != std::string::npos)
    s.erase(0, close + 2);
  for (char& ch : s)
    if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) > 0x7E) ch = '?';
  return s;
}

Json parseDocument(std::string_view text) {
  if (text.size() > kProfileJsonMaxBytes)
    refuse("", "the document has " + std::to_string(text.size()) + " bytes; at most " +
                   std::to_string(kProfileJsonMaxBytes) + " are read");
  try {
    return Json::parse(text.begin(), text.end(), [](int depth, Json::parse_event_t, Json&) {
      if (depth > kMaxDepth) refuse("", "nested deeper than a profile document");
      return true;
    });
  } catch (const Json::exception& e) {
    // Syntax and UTF-8 errors, and numbers past a double's range (out_of_range).
    refuse("", "not JSON text: " + parserMessage(e.what()));
  }
}

// The record `doc` makes from the factory profile with the bytes of `base` laid over it where
// `carried` is set.
std::unique_ptr<TMOUSEPROFILEINFO> rebuild(const OrderedJson& doc, const TMOUSEPROFILEINFO& base,
                                           const std::vector<bool>& carried) {
  auto p = std::make_unique<TMOUSEPROFILEINFO>(factoryProfile());
  for (std::size_t i = 0; i < kRecordBytes; ++i)
    if (carried[i]) bytesOf(*p)[i] = bytesOf(base)[i];
  applyNamed(Json(doc), *p);
  return p;
}

bool rebuildsAs(const OrderedJson& doc, const TMOUSEPROFILEINFO& p,
                const std::vector<bool>& carried) {
  try {
    return std::memcmp(rebuild(doc, p, carried).get(), &p, kRecordBytes) == 0;
  } catch (const JsonRefused&) {
    return false;
  }
}

OrderedJson extraOf(const TMOUSEPROFILEINFO& p, const std::vector<bool>& carried) {
  static constexpr char kHex[] = "0123456789abcdef";
  OrderedJson extra = OrderedJson::object();
  // Appended without the ordered map's search for an equal name: the offsets rise.
  auto& members =
      static_cast<OrderedJson::object_t::Container&>(extra.get_ref<OrderedJson::object_t&>());
  for (std::size_t i = kVersionBytes; i < kRecordBytes;) {
    if (!carried[i]) {
      ++i;
      continue;
    }
    const std::size_t begin = i;
    std::string hex;
    for (; i < kRecordBytes && carried[i]; ++i) {
      hex += kHex[bytesOf(p)[i] >> 4];
      hex += kHex[bytesOf(p)[i] & 0xF];
    }
    members.emplace_back(std::to_string(begin), std::move(hex));
  }
  return extra;
}

// Removes the member at `path` ("cpi.levels[1].x"); false when there is none to remove.
bool eraseMember(OrderedJson& doc, const std::string& path) {
  if (path.empty() || path == "format" || path == "version") return false;
  OrderedJson* at = &doc;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = path.find('.', start);
    std::string part =
        path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    std::vector<std::size_t> indices;
    while (part.ends_with(']')) {
      const std::size_t open = part.rfind('[');
      indices.insert(indices.begin(), std::stoul(part.substr(open + 1)));
      part.erase(open);
    }
    if (dot == std::string::npos && indices.empty()) return at->is_object() && at->erase(part) == 1;
    if (!at->is_object() || !at->contains(part)) return false;
    at = &(*at)[part];
    for (std::size_t i : indices) {
      if (!at->is_array() || i >= at->size()) return false;
      at = &(*at)[i];
    }
    if (dot == std::string::npos) return false;  // a whole array item: not left out
    start = dot + 1;
  }
}

}  // namespace

std::string ParsedProfile::Refusal() const {
  return path.empty() ? why : path + ": " + why;
}

ParsedProfile ParseProfileJson(std::string_view text) {
  ParsedProfile out;
  try {
    const Json doc = parseDocument(text);
    checkHeader(doc);
    auto p = std::make_unique<TMOUSEPROFILEINFO>(factoryProfile());
    if (const Json* extra = find(doc, "extra")) applyExtra(*extra, *p);
    applyNamed(doc, *p);
    out.profile = std::move(p);
  } catch (const JsonRefused& r) {
    out.path = r.path;
    out.why = r.why;
  }
  return out;
}

std::string ProfileToJson(const TMOUSEPROFILEINFO& p) {
  OrderedJson doc = describe(p);
  // Members the reading side refuses (values of a record made elsewhere) are left out.
  std::vector<bool> carried(kRecordBytes, false);
  for (;;) {
    try {
      rebuild(doc, p, carried);
      break;
    } catch (const JsonRefused& r) {
      if (!eraseMember(doc, r.path)) break;
    }
  }
  // Extra carries the bytes where the document alone makes another record. Carrying some can
  // change what a member writes (a button whose entry then reads as its word writes nothing),
  // so the comparison runs again until nothing more is carried.
  bool done = false;
  for (int round = 0; round < 8 && !done; ++round) {
    std::unique_ptr<TMOUSEPROFILEINFO> made;
    try {
      made = rebuild(doc, p, carried);
    } catch (const JsonRefused&) {
      break;
    }
    bool grew = false;
    done = true;
    for (std::size_t i = kVersionBytes; i < kRecordBytes; ++i)
      if (bytesOf(*made)[i] != bytesOf(p)[i]) {
        done = false;
        grew = grew || !carried[i];
        carried[i] = true;
      }
    if (!grew) break;
  }
  if (!done) {
    // Every byte that differs from the factory profile; the members then find their values
    // already there and write nothing.
    for (std::size_t i = kVersionBytes; i < kRecordBytes; ++i)
      carried[i] = bytesOf(p)[i] != bytesOf(factoryProfile())[i];
    if (!rebuildsAs(doc, p, carried))
      doc = OrderedJson{{"format", std::string(kProfileJsonFormat)},
                        {"version", kProfileJsonVersion},
                        {"recordVersion", p.ProfileHeader.FFileVersion}};
  }
  doc["extra"] = extraOf(p, carried);
  std::string out;
  writeIndented(out, doc, 0);
  return out + "\n";
}

bool LooksLikeProfileJson(std::string_view start) {
  if (start.starts_with("\xEF\xBB\xBF")) start.remove_prefix(3);
  const std::size_t first = start.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && start[first] == '{';
}

}  // namespace qor
