// SPDX-License-Identifier: GPL-2.0-or-later
// The recorder's records: what the input hook hands to the macro editor and the combination
// key dialog. They live in memory only, so their layout is free.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

// The mouse buttons the recorder tells apart.
enum class TMouseButtons : uint8_t {
  BUTTON_NONE = 0,
  LCLICK = 1,
  RCLICK = 2,
  MCLICK = 3,
  XCLICK4 = 4,
  XCLICK5 = 5,
  WHEELUP = 6,
  WHEELDOWN = 7,
  BUTTONX1 = 8,
  BUTTONX2 = 9,
  BUTTONX3 = 10,
};

// One recorded keyboard event.
struct TMACROKEYHOOK {
  uint16_t nKeyType = 0;            // 0 delay, 1 key
  uint16_t nKeyState = 0;           // 1 down, 0 up
  uint16_t nKeyValue = 0;           // virtual-key code, or for a delay the gap in milliseconds
  uint16_t nKeyValueExtended = 0;   // extended-key flag
  double Time = 0;                  // the event's millisecond time stamp
  std::string MacroKeyString;       // the key's description
  std::string MacroKeyStateString;  // "Down" or "Up"
};

// One recorded mouse event.
struct TMOUSEMACROKEY {
  uint16_t nKeyType = 0;   // 0 delay, 1 button
  uint16_t nKeyState = 0;  // 1 down, 0 up
  TMouseButtons MouseButton = TMouseButtons::BUTTON_NONE;
  uint16_t X = 0;  // pointer position
  uint16_t Y = 0;
  uint16_t TimeValue = 0;  // gap in milliseconds
  double Time = 0;         // the event's millisecond time stamp
  std::string MacroKeyString;
  std::string MacroKeyStateString;
};

// The key combination being recorded.
struct TCOMBOKEY {
  uint16_t nKeyValue1 = 0;  // virtual-key codes and their extended-key flags
  uint16_t nKeyValue1Extended = 0;
  uint16_t nKeyValue2 = 0;
  uint16_t nKeyValue2Extended = 0;
  uint16_t nModifier = 0;  // 1 Alt, 2 Ctrl, 4 Shift, 8 Windows key
  uint32_t nScanKey1 = 0;  // scan codes
  uint32_t nScanKey2 = 0;
};

}  // namespace qor
