// SPDX-License-Identifier: GPL-2.0-or-later
// The words of `set`, read from the command line and written back by `show`: one table each
// for both directions, so that what show prints set takes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/profile_records.h"

namespace qor {

// A refusal with its reason, for exit status 1.
struct Refused {
  std::string why;
};

// A whole number within [lo, hi]; refused otherwise, naming `what` and the range.
int WholeNumber(const std::string& text, const std::string& what, int lo, int hi);

// The menu item a button function word names, with what its dialog would have returned.
struct ButtonFunction {
  int32_t id = 0;
  TCOMBOKEYINFO combo{};
  TFIREKEYINFO fire{};
};

// The function `word` names: a menu item ("copy", "media:mute", "disable"), combo:KEYS,
// fire:COUNT:DELAY or macro:NAME (a macro of `profile`); refused otherwise.
ButtonFunction ParseButtonFunction(const TMOUSEPROFILEINFO& profile, const std::string& word);

// Puts the function `word` names on entry `button` (0..14) of `profile` with the rules of the
// button window (at most five macros on the first ten buttons); refused otherwise.
void SetButtonFunction(TMOUSEPROFILEINFO& profile, int button, const std::string& word);

// Every function word ParseButtonFunction takes, in the menu's order, for help texts:
// "left-click, ..., media:play-pause|stop|..., combo:ctrl+shift+a, fire:COUNT:DELAY, ...".
std::string ButtonFunctionWordList();

// A key by its virtual-key code and extended-key flag, as combinations and macros store it.
struct NamedKey {
  uint16_t vk = 0;
  uint16_t extended = 0;
  bool operator==(const NamedKey&) const = default;
};

// The key a word names ("a", "f5", "page-up", "enter", "vk_oem_1"); nothing for another word.
std::optional<NamedKey> KeyByWord(const std::string& word);
// The word of a key that KeyByWord reads back as the same key; empty when no word names it.
std::string KeyWord(NamedKey key);

// The word for what `entry` does, as its stored menu entry (MenuItemID, else its row) says,
// in the form ParseButtonFunction takes back; empty when the entry names no such function.
std::string ButtonFunctionWord(const TBUTTONFUNCINFO& entry);

}  // namespace qor
