// SPDX-License-Identifier: GPL-2.0-or-later
// The words of `set`, read from the command line and written back by `show`: one table each
// for both directions, so that what show prints set takes.
#pragma once

#include <cstdint>
#include <string>

#include "model/profile_records.h"

namespace qor::ctl {

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

// Every function word ParseButtonFunction takes, in the menu's order, for help texts:
// "left-click, ..., media:play-pause|stop|..., combo:ctrl+shift+a, fire:COUNT:DELAY, ...".
std::string ButtonFunctionWordList();

// The word for what `entry` does, as its stored menu entry (MenuItemID, else its row) says,
// in the form ParseButtonFunction takes back; empty when the entry names no such function.
std::string ButtonFunctionWord(const TBUTTONFUNCINFO& entry);

}  // namespace qor::ctl
