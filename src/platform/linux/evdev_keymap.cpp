#include "platform/linux/evdev_keymap.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>

namespace qor {
namespace {

// Windows virtual-key codes used below.
enum : uint8_t {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_CLEAR = 0x0C,
  VK_RETURN = 0x0D,
  VK_PAUSE = 0x13,
  VK_CAPITAL = 0x14,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_PRIOR = 0x21,
  VK_NEXT = 0x22,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_SNAPSHOT = 0x2C,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  VK_LWIN = 0x5B,
  VK_RWIN = 0x5C,
  VK_APPS = 0x5D,
  VK_NUMPAD0 = 0x60,
  VK_MULTIPLY = 0x6A,
  VK_ADD = 0x6B,
  VK_SUBTRACT = 0x6D,
  VK_DECIMAL = 0x6E,
  VK_DIVIDE = 0x6F,
  VK_F1 = 0x70,
  VK_F13 = 0x7C,
  VK_NUMLOCK = 0x90,
  VK_SCROLL = 0x91,
  VK_LSHIFT = 0xA0,
  VK_RSHIFT = 0xA1,
  VK_LCONTROL = 0xA2,
  VK_RCONTROL = 0xA3,
  VK_LMENU = 0xA4,
  VK_RMENU = 0xA5,
  VK_BROWSER_BACK = 0xA6,
  VK_BROWSER_FORWARD = 0xA7,
  VK_BROWSER_REFRESH = 0xA8,
  VK_BROWSER_STOP = 0xA9,
  VK_BROWSER_SEARCH = 0xAA,
  VK_BROWSER_FAVORITES = 0xAB,
  VK_BROWSER_HOME = 0xAC,
  VK_VOLUME_MUTE = 0xAD,
  VK_VOLUME_DOWN = 0xAE,
  VK_VOLUME_UP = 0xAF,
  VK_MEDIA_NEXT_TRACK = 0xB0,
  VK_MEDIA_PREV_TRACK = 0xB1,
  VK_MEDIA_STOP = 0xB2,
  VK_MEDIA_PLAY_PAUSE = 0xB3,
  VK_LAUNCH_MAIL = 0xB4,
  VK_LAUNCH_MEDIA_SELECT = 0xB5,
  VK_LAUNCH_APP1 = 0xB6,
  VK_LAUNCH_APP2 = 0xB7,
  VK_OEM_1 = 0xBA,
  VK_OEM_PLUS = 0xBB,
  VK_OEM_COMMA = 0xBC,
  VK_OEM_MINUS = 0xBD,
  VK_OEM_PERIOD = 0xBE,
  VK_OEM_2 = 0xBF,
  VK_OEM_3 = 0xC0,
  VK_OEM_4 = 0xDB,
  VK_OEM_5 = 0xDC,
  VK_OEM_6 = 0xDD,
  VK_OEM_7 = 0xDE,
  VK_OEM_102 = 0xE2,
};

constexpr uint8_t letter(char c) {
  return static_cast<uint8_t>(c);
}
constexpr uint8_t numpad(int n) {
  return static_cast<uint8_t>(VK_NUMPAD0 + n);
}
constexpr uint8_t f(int n) {
  return static_cast<uint8_t>(n <= 12 ? VK_F1 + n - 1 : VK_F13 + n - 13);
}

// The keys a US keyboard sends, with their media and browser keys. Below code 89 the Linux
// code is the set-1 scan code itself; the keypad follows Num Lock as on Windows.
constexpr EvdevKeyMapping kTable[] = {
    {KEY_ESC, VK_ESCAPE, 0x01, false, 0},
    {KEY_1, letter('1'), 0x02, false, 0},
    {KEY_2, letter('2'), 0x03, false, 0},
    {KEY_3, letter('3'), 0x04, false, 0},
    {KEY_4, letter('4'), 0x05, false, 0},
    {KEY_5, letter('5'), 0x06, false, 0},
    {KEY_6, letter('6'), 0x07, false, 0},
    {KEY_7, letter('7'), 0x08, false, 0},
    {KEY_8, letter('8'), 0x09, false, 0},
    {KEY_9, letter('9'), 0x0A, false, 0},
    {KEY_0, letter('0'), 0x0B, false, 0},
    {KEY_MINUS, VK_OEM_MINUS, 0x0C, false, 0},
    {KEY_EQUAL, VK_OEM_PLUS, 0x0D, false, 0},
    {KEY_BACKSPACE, VK_BACK, 0x0E, false, 0},
    {KEY_TAB, VK_TAB, 0x0F, false, 0},
    {KEY_Q, letter('Q'), 0x10, false, 0},
    {KEY_W, letter('W'), 0x11, false, 0},
    {KEY_E, letter('E'), 0x12, false, 0},
    {KEY_R, letter('R'), 0x13, false, 0},
    {KEY_T, letter('T'), 0x14, false, 0},
    {KEY_Y, letter('Y'), 0x15, false, 0},
    {KEY_U, letter('U'), 0x16, false, 0},
    {KEY_I, letter('I'), 0x17, false, 0},
    {KEY_O, letter('O'), 0x18, false, 0},
    {KEY_P, letter('P'), 0x19, false, 0},
    {KEY_LEFTBRACE, VK_OEM_4, 0x1A, false, 0},
    {KEY_RIGHTBRACE, VK_OEM_6, 0x1B, false, 0},
    {KEY_ENTER, VK_RETURN, 0x1C, false, 0},
    {KEY_LEFTCTRL, VK_LCONTROL, 0x1D, false, 0},
    {KEY_A, letter('A'), 0x1E, false, 0},
    {KEY_S, letter('S'), 0x1F, false, 0},
    {KEY_D, letter('D'), 0x20, false, 0},
    {KEY_F, letter('F'), 0x21, false, 0},
    {KEY_G, letter('G'), 0x22, false, 0},
    {KEY_H, letter('H'), 0x23, false, 0},
    {KEY_J, letter('J'), 0x24, false, 0},
    {KEY_K, letter('K'), 0x25, false, 0},
    {KEY_L, letter('L'), 0x26, false, 0},
    {KEY_SEMICOLON, VK_OEM_1, 0x27, false, 0},
    {KEY_APOSTROPHE, VK_OEM_7, 0x28, false, 0},
    {KEY_GRAVE, VK_OEM_3, 0x29, false, 0},
    {KEY_LEFTSHIFT, VK_LSHIFT, 0x2A, false, 0},
    {KEY_BACKSLASH, VK_OEM_5, 0x2B, false, 0},
    {KEY_Z, letter('Z'), 0x2C, false, 0},
    {KEY_X, letter('X'), 0x2D, false, 0},
    {KEY_C, letter('C'), 0x2E, false, 0},
    {KEY_V, letter('V'), 0x2F, false, 0},
    {KEY_B, letter('B'), 0x30, false, 0},
    {KEY_N, letter('N'), 0x31, false, 0},
    {KEY_M, letter('M'), 0x32, false, 0},
    {KEY_COMMA, VK_OEM_COMMA, 0x33, false, 0},
    {KEY_DOT, VK_OEM_PERIOD, 0x34, false, 0},
    {KEY_SLASH, VK_OEM_2, 0x35, false, 0},
    {KEY_RIGHTSHIFT, VK_RSHIFT, 0x36, false, 0},  // not an extended key on Windows
    {KEY_KPASTERISK, VK_MULTIPLY, 0x37, false, 0},
    {KEY_LEFTALT, VK_LMENU, 0x38, false, 0},
    {KEY_SPACE, VK_SPACE, 0x39, false, 0},
    {KEY_CAPSLOCK, VK_CAPITAL, 0x3A, false, 0},
    {KEY_F1, f(1), 0x3B, false, 0},
    {KEY_F2, f(2), 0x3C, false, 0},
    {KEY_F3, f(3), 0x3D, false, 0},
    {KEY_F4, f(4), 0x3E, false, 0},
    {KEY_F5, f(5), 0x3F, false, 0},
    {KEY_F6, f(6), 0x40, false, 0},
    {KEY_F7, f(7), 0x41, false, 0},
    {KEY_F8, f(8), 0x42, false, 0},
    {KEY_F9, f(9), 0x43, false, 0},
    {KEY_F10, f(10), 0x44, false, 0},
    {KEY_NUMLOCK, VK_NUMLOCK, 0x45, true, 0},  // Windows flags Num Lock as extended
    {KEY_SCROLLLOCK, VK_SCROLL, 0x46, false, 0},
    {KEY_KP7, numpad(7), 0x47, false, VK_HOME},
    {KEY_KP8, numpad(8), 0x48, false, VK_UP},
    {KEY_KP9, numpad(9), 0x49, false, VK_PRIOR},
    {KEY_KPMINUS, VK_SUBTRACT, 0x4A, false, 0},
    {KEY_KP4, numpad(4), 0x4B, false, VK_LEFT},
    {KEY_KP5, numpad(5), 0x4C, false, VK_CLEAR},
    {KEY_KP6, numpad(6), 0x4D, false, VK_RIGHT},
    {KEY_KPPLUS, VK_ADD, 0x4E, false, 0},
    {KEY_KP1, numpad(1), 0x4F, false, VK_END},
    {KEY_KP2, numpad(2), 0x50, false, VK_DOWN},
    {KEY_KP3, numpad(3), 0x51, false, VK_NEXT},
    {KEY_KP0, numpad(0), 0x52, false, VK_INSERT},
    {KEY_KPDOT, VK_DECIMAL, 0x53, false, VK_DELETE},
    {KEY_102ND, VK_OEM_102, 0x56, false, 0},
    {KEY_F11, f(11), 0x57, false, 0},
    {KEY_F12, f(12), 0x58, false, 0},
    {KEY_KPENTER, VK_RETURN, 0x1C, true, 0},
    {KEY_RIGHTCTRL, VK_RCONTROL, 0x1D, true, 0},
    {KEY_KPSLASH, VK_DIVIDE, 0x35, true, 0},
    {KEY_SYSRQ, VK_SNAPSHOT, 0x37, true, 0},
    {KEY_RIGHTALT, VK_RMENU, 0x38, true, 0},
    {KEY_HOME, VK_HOME, 0x47, true, 0},
    {KEY_UP, VK_UP, 0x48, true, 0},
    {KEY_PAGEUP, VK_PRIOR, 0x49, true, 0},
    {KEY_LEFT, VK_LEFT, 0x4B, true, 0},
    {KEY_RIGHT, VK_RIGHT, 0x4D, true, 0},
    {KEY_END, VK_END, 0x4F, true, 0},
    {KEY_DOWN, VK_DOWN, 0x50, true, 0},
    {KEY_PAGEDOWN, VK_NEXT, 0x51, true, 0},
    {KEY_INSERT, VK_INSERT, 0x52, true, 0},
    {KEY_DELETE, VK_DELETE, 0x53, true, 0},
    {KEY_MUTE, VK_VOLUME_MUTE, 0x20, true, 0},
    {KEY_VOLUMEDOWN, VK_VOLUME_DOWN, 0x2E, true, 0},
    {KEY_VOLUMEUP, VK_VOLUME_UP, 0x30, true, 0},
    {KEY_PAUSE, VK_PAUSE, 0x45, false, 0},
    {KEY_LEFTMETA, VK_LWIN, 0x5B, true, 0},
    {KEY_RIGHTMETA, VK_RWIN, 0x5C, true, 0},
    {KEY_COMPOSE, VK_APPS, 0x5D, true, 0},
    {KEY_STOP, VK_BROWSER_STOP, 0x68, true, 0},
    {KEY_CALC, VK_LAUNCH_APP2, 0x21, true, 0},
    {KEY_MAIL, VK_LAUNCH_MAIL, 0x6C, true, 0},
    {KEY_BOOKMARKS, VK_BROWSER_FAVORITES, 0x66, true, 0},
    {KEY_COMPUTER, VK_LAUNCH_APP1, 0x6B, true, 0},
    {KEY_BACK, VK_BROWSER_BACK, 0x6A, true, 0},
    {KEY_FORWARD, VK_BROWSER_FORWARD, 0x69, true, 0},
    {KEY_NEXTSONG, VK_MEDIA_NEXT_TRACK, 0x19, true, 0},
    {KEY_PLAYPAUSE, VK_MEDIA_PLAY_PAUSE, 0x22, true, 0},
    {KEY_PREVIOUSSONG, VK_MEDIA_PREV_TRACK, 0x10, true, 0},
    {KEY_STOPCD, VK_MEDIA_STOP, 0x24, true, 0},
    {KEY_HOMEPAGE, VK_BROWSER_HOME, 0x32, true, 0},
    {KEY_REFRESH, VK_BROWSER_REFRESH, 0x67, true, 0},
    {KEY_F13, f(13), 0x64, false, 0},
    {KEY_F14, f(14), 0x65, false, 0},
    {KEY_F15, f(15), 0x66, false, 0},
    {KEY_F16, f(16), 0x67, false, 0},
    {KEY_F17, f(17), 0x68, false, 0},
    {KEY_F18, f(18), 0x69, false, 0},
    {KEY_F19, f(19), 0x6A, false, 0},
    {KEY_F20, f(20), 0x6B, false, 0},
    {KEY_F21, f(21), 0x6C, false, 0},
    {KEY_F22, f(22), 0x6D, false, 0},
    {KEY_F23, f(23), 0x6E, false, 0},
    {KEY_F24, f(24), 0x76, false, 0},
    {KEY_SEARCH, VK_BROWSER_SEARCH, 0x65, true, 0},
    {KEY_MEDIA, VK_LAUNCH_MEDIA_SELECT, 0x6D, true, 0},
};

constexpr bool orderedByCode() {
  for (std::size_t i = 1; i < std::size(kTable); ++i)
    if (kTable[i - 1].code >= kTable[i].code) return false;
  return true;
}
static_assert(orderedByCode(), "FindEvdevKey searches the table by halves");

}  // namespace

const EvdevKeyMapping* FindEvdevKey(uint16_t code) {
  const auto* end = std::end(kTable);
  const auto* row =
      std::lower_bound(std::begin(kTable), end, code,
                       [](const EvdevKeyMapping& m, uint16_t c) { return m.code < c; });
  return row != end && row->code == code ? row : nullptr;
}

std::span<const EvdevKeyMapping> EvdevKeyTable() {
  return kTable;
}

}  // namespace qor
