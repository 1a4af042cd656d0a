// SPDX-License-Identifier: GPL-2.0-or-later
#include "settings/setting_words.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "model/button_function_table.h"
#include "model/wide_text.h"
#include "protocol/key_code_table.h"
#include "settings/button_assignment.h"

namespace qor {
namespace {

constexpr std::string_view kCombo = "combo:", kFire = "fire:", kMacro = "macro:", kMedia = "media:";
constexpr std::string_view kVirtualKeyPrefix = "vk_", kExtendedSuffix = "-ext";
constexpr int32_t kExtendedRow = 225;  // the key table's mark of a key with the extended flag

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool startsWith(const std::string& s, std::string_view prefix) {
  return s.rfind(prefix, 0) == 0;
}

// A caption as the user types it: lower case, words joined by '-' ("Volume Up" ->
// "volume-up", "Play/Pause" -> "play-pause").
std::string slug(const std::string& caption) {
  std::string s;
  for (unsigned char c : caption) {
    if (std::isalnum(c))
      s.push_back(static_cast<char>(std::tolower(c)));
    else if (!s.empty() && s.back() != '-')
      s.push_back('-');
  }
  while (!s.empty() && s.back() == '-') s.pop_back();
  return s;
}

// The menu items that need no dialog, by word: top-level items without a sub-menu, and the
// items of the sub-menus (media keys with "media:" before them); not the macros, which the
// profile names.
const std::vector<std::pair<std::string, int32_t>>& menuWords() {
  static const std::vector<std::pair<std::string, int32_t>> words = [] {
    std::vector<std::pair<std::string, int32_t>> all;
    for (const ButtonMenuEntry& top : ButtonMenuDefinition()) {
      if (top.id == button_menu::kComboKey || top.id == button_menu::kFireKey ||
          top.id == button_menu::kMacro)
        continue;
      if (top.subItems.empty()) all.emplace_back(slug(top.caption), top.id);
      const std::string prefix(top.id == button_menu::kMedia ? kMedia : "");
      for (const ButtonMenuEntry& sub : top.subItems)
        all.emplace_back(prefix + slug(sub.caption), sub.id);
    }
    return all;
  }();
  return words;
}

}  // namespace

std::string ButtonFunctionWordList() {
  std::string list;
  auto add = [&list](const std::string& word) { list += (list.empty() ? "" : ", ") + word; };
  for (const ButtonMenuEntry& top : ButtonMenuDefinition()) {
    if (top.id == button_menu::kComboKey) {
      add(std::string(kCombo) + "ctrl+shift+a");
    } else if (top.id == button_menu::kFireKey) {
      add(std::string(kFire) + "COUNT:DELAY");
    } else if (top.id == button_menu::kMacro) {
      add(std::string(kMacro) + "NAME");
    } else if (top.subItems.empty()) {
      add(slug(top.caption));
    } else if (top.id == button_menu::kMedia) {
      std::string keys;
      for (const ButtonMenuEntry& sub : top.subItems)
        keys += (keys.empty() ? "" : "|") + slug(sub.caption);
      add(std::string(kMedia) + keys);
    } else {
      for (const ButtonMenuEntry& sub : top.subItems) add(slug(sub.caption));
    }
  }
  return list;
}

namespace {

// Modifier flags (1 Alt, 2 Ctrl, 4 Shift, 8 Windows) by word; show writes the first word of
// each flag, in this order.
struct ModifierWord {
  const char* word;
  uint16_t flag;
};
constexpr ModifierWord kModifiers[] = {{"ctrl", 2}, {"shift", 4},   {"alt", 1},
                                       {"win", 8},  {"control", 2}, {"super", 8}};

// Other words for keys, each for the word of the key's own description.
const std::vector<std::pair<std::string, std::string>> kKeyAliases = {
    {"space", "spacebar"},  {"escape", "esc"},      {"delete", "del"},        {"insert", "ins"},
    {"return", "enter"},    {"left", "left-arrow"}, {"right", "right-arrow"}, {"up", "up-arrow"},
    {"down", "down-arrow"}, {"pgup", "page-up"},    {"pgdn", "page-down"}};

// A key that can go into a combination: it has a HID code, and an extended row is a key of
// its own (not the copy of a key without the flag).
const TKeyboardInfoTable* usableRow(uint32_t vk, int32_t extended) {
  const TKeyboardInfoTable* row = FindKeyRow(vk, extended);
  if (!row || row->HIDCode <= 0 || (extended == 1 && row->Extended != kExtendedRow)) return nullptr;
  return row;
}

NamedKey keyOf(uint32_t vk, const TKeyboardInfoTable& row) {
  return NamedKey{static_cast<uint16_t>(vk), static_cast<uint16_t>(row.Extended == kExtendedRow)};
}

// The keys by word, built once: KeyByWord runs for every key of every macro of a document.
struct KeyWords {
  std::map<std::string, NamedKey> byDescription;  // first in KeyByWord's order
  std::map<std::string, NamedKey> byName[2];      // by extended flag
};

const KeyWords& keyWords() {
  static const KeyWords words = [] {
    KeyWords w;
    // The separate navigation keys (extended) win over their keypad twins.
    for (int32_t extended : {1, 0})
      for (uint32_t vk = 1; vk < 256; ++vk)
        if (const TKeyboardInfoTable* row = usableRow(vk, extended)) {
          w.byDescription.emplace(slug(row->KeyDescription), keyOf(vk, *row));
          w.byName[extended].emplace(lower(row->VKName), NamedKey{static_cast<uint16_t>(vk),
                                                                  static_cast<uint16_t>(extended)});
        }
    w.byDescription.erase("");
    return w;
  }();
  return words;
}

std::optional<NamedKey> find(const std::map<std::string, NamedKey>& words, const std::string& w) {
  const auto it = words.find(w);
  return it == words.end() ? std::nullopt : std::optional<NamedKey>(it->second);
}

// A key by its virtual-key name ("vk_oem_1"): the key without the extended flag where the
// table has one, else the extended one; "-ext" after the name asks for the extended one. The
// flag is the one asked for, so that every entry of the table has a word.
std::optional<NamedKey> keyByVirtualKeyName(const std::string& word) {
  if (word.ends_with(kExtendedSuffix))
    return find(keyWords().byName[1], word.substr(0, word.size() - kExtendedSuffix.size()));
  if (auto key = find(keyWords().byName[0], word)) return key;
  return find(keyWords().byName[1], word);
}

}  // namespace

// A key by the word of its description ("a", "f5", "page-up", "enter"), or by its virtual-key
// name.
std::optional<NamedKey> KeyByWord(const std::string& text) {
  const std::string word = lower(text);
  if (word.starts_with(kVirtualKeyPrefix)) return keyByVirtualKeyName(word);
  std::string wanted = word;
  for (const auto& [alias, own] : kKeyAliases)
    if (alias == word) wanted = own;
  return find(keyWords().byDescription, wanted);
}

// The word of a key: its description's where that names it back, else its virtual-key name
// (punctuation keys, and the twin that the description's word does not name); empty when
// nothing names it back.
std::string KeyWord(NamedKey key) {
  const TKeyboardInfoTable* row = usableRow(key.vk, key.extended != 0);
  if (!row) return {};
  const NamedKey wanted{key.vk, static_cast<uint16_t>(key.extended != 0)};
  for (const std::string& word : {slug(row->KeyDescription), lower(row->VKName),
                                  lower(row->VKName) + std::string(kExtendedSuffix)})
    if (KeyByWord(word) == wanted) return word;
  return {};
}

namespace {

// "ctrl+shift+a": modifiers and up to two keys.
TCOMBOKEYINFO parseCombination(const std::string& text) {
  TCOMBOKEYINFO c{};
  int keys = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t plus = text.find('+', start);
    const std::string part =
        text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    start = plus == std::string::npos ? text.size() + 1 : plus + 1;
    const auto* m = std::find_if(std::begin(kModifiers), std::end(kModifiers),
                                 [&](const ModifierWord& w) { return part == w.word; });
    if (m != std::end(kModifiers)) {
      c.nModifier |= m->flag;
      continue;
    }
    auto key = KeyByWord(part);
    if (!key)
      throw Refused{"\"" + part +
                    "\" is not a key name (try a, f5, enter, page-up, left, or a virtual-key name "
                    "such as vk_oem_1)"};
    if (++keys > 2) throw Refused{"a combination holds at most two keys besides the modifiers"};
    (keys == 1 ? c.nKeyValue1 : c.nKeyValue2) = key->vk;
    (keys == 1 ? c.nKey1Extended : c.nKey2Extended) = key->extended;
  }
  if (keys == 0) throw Refused{"a combination needs a key, for example combo:ctrl+shift+a"};
  return c;
}

std::string combinationWord(const TCOMBOKEYINFO& c) {
  std::string text;
  uint16_t written = 0;
  for (const ModifierWord& m : kModifiers)
    if ((c.nModifier & m.flag) && !(written & m.flag)) {
      text += std::string(m.word) + "+";
      written |= m.flag;
    }
  for (NamedKey key :
       {NamedKey{c.nKeyValue1, c.nKey1Extended}, NamedKey{c.nKeyValue2, c.nKey2Extended}}) {
    if (key.vk == 0) continue;
    const std::string word = KeyWord(key);
    if (word.empty()) return {};
    text += word + "+";
  }
  if (text.empty()) return {};
  text.pop_back();
  return std::string(kCombo) + text;
}

}  // namespace

int WholeNumber(const std::string& text, const std::string& what, int lo, int hi) {
  int v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi)
    throw Refused{what + " must be a whole number from " + std::to_string(lo) + " to " +
                  std::to_string(hi) + ", not \"" + text + "\""};
  return v;
}

ButtonFunction ParseButtonFunction(const TMOUSEPROFILEINFO& p, const std::string& text) {
  ButtonFunction f;
  const std::string word = lower(text);
  if (startsWith(word, kCombo)) {
    f.id = button_menu::kComboKey;
    f.combo = parseCombination(word.substr(kCombo.size()));
    return f;
  }
  if (startsWith(word, kFire)) {
    const std::string rest = word.substr(kFire.size());
    const std::size_t colon = rest.find(':');
    if (colon == std::string::npos)
      throw Refused{"a fire key is fire:COUNT:DELAY, for example fire:3:100"};
    f.id = button_menu::kFireKey;
    f.fire.nLoopCount =
        static_cast<uint16_t>(WholeNumber(rest.substr(0, colon), "the repeat count", 1, 255));
    f.fire.DelyValue =
        static_cast<uint16_t>(WholeNumber(rest.substr(colon + 1), "the delay in ms", 1, 65535));
    return f;
  }
  if (startsWith(text, kMacro)) {
    const std::string name = text.substr(kMacro.size());
    const std::u16string wanted = toUtf16(name);
    const int count = std::min<int>(p.MacroKeyInfoList.nMacroInfoCount, kProfileMacroSlots);
    for (int k = 0; k < count; ++k)
      if (readWideField(p.MacroKeyInfoList.MacroInfos[k].szMacroName) == wanted) {
        f.id = button_menu::kFirstMacro + k;
        return f;
      }
    throw Refused{"the profile has no macro named \"" + name + "\""};
  }
  // The media keys are taken without "media:" too.
  for (const std::string& wanted : {word, std::string(kMedia) + word})
    for (const auto& [menuWord, id] : menuWords())
      if (menuWord == wanted) {
        f.id = id;
        return f;
      }
  try {
    parseCombination(word);
  } catch (const Refused&) {
    throw Refused{"\"" + text + "\" is not a button function; see qorcfg51-ctl set --help"};
  }
  throw Refused{"\"" + text + "\" is not a button function; for that key combination write " +
                std::string(kCombo) + word};
}

void SetButtonFunction(TMOUSEPROFILEINFO& p, int button, const std::string& word) {
  const ButtonFunction f = ParseButtonFunction(p, word);
  ButtonChoiceDialogs answers;
  answers.ComboKey = [&](TCOMBOKEYINFO& c) {
    c = f.combo;
    return 1;
  };
  answers.FireKey = [&](TFIREKEYINFO& fire) {
    fire = f.fire;
    return 1;
  };
  switch (ApplyButtonMenuChoice(p, button, f.id, answers)) {
    case ButtonChoice::Applied:
      return;
    case ButtonChoice::TooManyMacros:
      throw Refused{std::string(kTooManyMacrosText) +
                    " (the first ten buttons hold five macros already)"};
    default:
      throw Refused{"\"" + word + "\" cannot be put on a button"};
  }
}

std::string ButtonFunctionWord(const TBUTTONFUNCINFO& b) {
  const int32_t id = b.MenuItemID != 0 ? b.MenuItemID : ButtonFunctionMenuItemID(b.FunctionIndex);
  if (id == button_menu::kComboKey) return combinationWord(b.ComboKeyInfo);
  if (id == button_menu::kFireKey)
    return std::string(kFire) + std::to_string(b.FireKeyInfo.nLoopCount) + ":" +
           std::to_string(b.FireKeyInfo.DelyValue);
  if (id >= button_menu::kFirstMacro && id <= button_menu::kLastMacro)
    return std::string(kMacro) + readWideFieldUtf8(b.MacroInfo.szMacroName);
  for (const auto& [word, menuID] : menuWords())
    if (menuID == id) return word;
  return {};
}

}  // namespace qor
