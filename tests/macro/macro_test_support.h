// SPDX-License-Identifier: GPL-2.0-or-later
// Building actions and macros for the macro tests.
#pragma once

#include <string>
#include <vector>

#include "macro/macro_model.h"

namespace qor::test {

inline TMACROKEY key(uint8_t vk, uint16_t state, uint8_t extended = 0) {
  return TMACROKEY{4, state, vk, extended};
}
inline TMACROKEY down(uint8_t vk) {
  return key(vk, 1);
}
inline TMACROKEY up(uint8_t vk) {
  return key(vk, 0);
}
inline TMACROKEY delay(uint16_t ms) {
  return TMACROKEY{6, 0, uint8_t(ms & 0xFF), uint8_t(ms >> 8)};
}
inline TMACROKEY mouse(uint16_t state) {
  return TMACROKEY{1, state, 1, 1};
}
inline TMACROKEY media(uint16_t code, uint16_t state) {
  return TMACROKEY{5, state, uint8_t(code & 0xFF), uint8_t(code >> 8)};
}

inline TMACROKEYINFO macroOf(const std::u16string& name, const std::vector<TMACROKEY>& actions) {
  TMACROKEYINFO m{};
  SetMacroName(m, name);
  int i = 0;
  for (const TMACROKEY& a : actions) m.MacroList[i++] = a;
  m.MacroListCount = i;
  return m;
}

inline bool sameAction(const TMACROKEY& a, const TMACROKEY& b) {
  return a.nKeyType == b.nKeyType && a.nKeyState == b.nKeyState && a.VALUE1 == b.VALUE1 &&
         a.VALUE2 == b.VALUE2;
}

// The key codes of the actions, for compact comparisons ('A' for key A, 6 for a delay).
inline std::string codes(const TuiActionsClass& editor) {
  std::string s;
  for (const TMACROKEY& a : editor.Actions()) s.push_back(a.nKeyType == 6 ? '.' : char(a.VALUE1));
  return s;
}

}  // namespace qor::test
