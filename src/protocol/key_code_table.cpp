// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/key_code_table.h"

#include <array>
#include <cstdio>
#include <vector>

namespace qor {
namespace {

constexpr int32_t kNotExtended = 224;
constexpr int32_t kExtended = 225;

struct ConstRow {
  int32_t vk;
  const char* name;  // null: an "undefined" row named after the code
  int32_t scan;
  int32_t extended;
  int32_t hid;
  const char* description;
};

// Rows of the normal table, VK 0..183, then the OEM keys with their scan codes.
constexpr ConstRow kNormalRows[] = {
    {0, "VK_NULL", 0, kNotExtended, -1, ""},
    {1, "VK_LBUTTON", 0, kNotExtended, -1, "Mouse Left Click"},
    {2, "VK_RBUTTON", 0, kNotExtended, -1, "Mouse Right Click"},
    {3, "VK_CANCEL", 0, kNotExtended, -1, "Control Break"},
    {4, "VK_MBUTTON", 0, kNotExtended, -1, "Mouse Middle Click"},
    {5, nullptr, 0, kNotExtended, -1, "Undefined"},
    {6, nullptr, 0, kNotExtended, -1, "Undefined"},
    {7, nullptr, 0, kNotExtended, -1, "Undefined"},
    {8, "VK_BACK", 0, kNotExtended, 42, "BACKSPACE"},
    {9, "VK_TAB", 0, kNotExtended, 43, "TAB"},
    {10, nullptr, 0, kNotExtended, -1, "Undefined"},
    {11, nullptr, 0, kNotExtended, -1, "Undefined"},
    {12, "VK_CLEAR", 0, kNotExtended, 156, "CLEAR"},
    {13, "VK_RETURN", 0, kNotExtended, 40, "ENTER"},
    {14, nullptr, 0, kNotExtended, -1, "Undefined"},
    {15, nullptr, 0, kNotExtended, -1, "Undefined"},
    {16, "VK_SHIFT", 0, kNotExtended, -1, "SHIFT"},
    {17, "VK_CONTROL", 0, kNotExtended, -1, "CTRL"},
    {18, "VK_MENU", 0, kNotExtended, -1, "ALT"},
    {19, "VK_PAUSE", 0, kNotExtended, 72, "PAUSE"},
    {20, "VK_CAPITAL", 0, kNotExtended, 57, "CAPS LOCK"},
    {21, "VK_HANGUL", 0x72, kNotExtended, 144, "HANGUL"},
    {22, nullptr, 0, kNotExtended, -1, "Undefined"},
    {23, nullptr, 0, kNotExtended, -1, "Undefined"},
    {24, nullptr, 0, kNotExtended, -1, "Undefined"},
    {25, "VK_HANJA", 0x71, kNotExtended, 145, "HANJA"},
    {26, nullptr, 0, kNotExtended, -1, "Undefined"},
    {27, "VK_ESCAPE", 0, kNotExtended, 41, "ESC"},
    {28, "VK_CONVERT", 0x79, kNotExtended, 138, "CONVERT"},
    {29, "VK_NONCONVERT", 0x7B, kNotExtended, 139, "NONCONVERT"},
    {30, nullptr, 0, kNotExtended, -1, "Undefined"},
    {31, nullptr, 0, kNotExtended, -1, "Undefined"},
    {32, "VK_SPACE", 0, kNotExtended, 44, "SPACEBAR"},
    // Without the extended flag these are the keypad keys.
    {33, "VK_PRIOR", 0, kNotExtended, 97, "PAGE UP"},
    {34, "VK_NEXT", 0, kNotExtended, 91, "PAGE DOWN"},
    {35, "VK_END", 0, kNotExtended, 89, "END"},
    {36, "VK_HOME", 0, kNotExtended, 95, "HOME"},
    {37, "VK_LEFT", 0, kNotExtended, 92, "LEFT ARROW"},
    {38, "VK_UP", 0, kNotExtended, 96, "UP ARROW"},
    {39, "VK_RIGHT", 0, kNotExtended, 94, "RIGHT ARROW"},
    {40, "VK_DOWN", 0, kNotExtended, 90, "DOWN ARROW"},
    {41, "VK_SELECT", 0, kNotExtended, -1, "SELECT"},
    {42, "VK_PRINT", 0, kNotExtended, -1, "PRINT"},
    {43, "VK_EXECUTE", 0, kNotExtended, -1, "EXECUTE"},
    {44, "VK_SNAPSHOT", 0, kExtended, 70, "PRINT SCREEN"},
    {45, "VK_NUMPAD0_INSERT", 0, kNotExtended, 98, "Keypad 0 Insert"},
    {46, "VK_DELETE", 0, kNotExtended, 99, "Keypad DEL"},
    {47, "VK_HELP", 0, kNotExtended, -1, "HELP"},
    {48, "VK_0", 0, kNotExtended, 39, "0"},
    {49, "VK_1", 0, kNotExtended, 30, "1"},
    {50, "VK_2", 0, kNotExtended, 31, "2"},
    {51, "VK_3", 0, kNotExtended, 32, "3"},
    {52, "VK_4", 0, kNotExtended, 33, "4"},
    {53, "VK_5", 0, kNotExtended, 34, "5"},
    {54, "VK_6", 0, kNotExtended, 35, "6"},
    {55, "VK_7", 0, kNotExtended, 36, "7"},
    {56, "VK_8", 0, kNotExtended, 37, "8"},
    {57, "VK_9", 0, kNotExtended, 38, "9"},
    {58, nullptr, 0, kNotExtended, -1, "Undefined"},
    {59, nullptr, 0, kNotExtended, -1, "Undefined"},
    {60, nullptr, 0, kNotExtended, -1, "Undefined"},
    {61, nullptr, 0, kNotExtended, -1, "Undefined"},
    {62, nullptr, 0, kNotExtended, -1, "Undefined"},
    {63, nullptr, 0, kNotExtended, -1, "Undefined"},
    {64, nullptr, 0, kNotExtended, -1, "Undefined"},
    {65, "VK_A", 0, kNotExtended, 4, "A"},
    {66, "VK_B", 0, kNotExtended, 5, "B"},
    {67, "VK_C", 0, kNotExtended, 6, "C"},
    {68, "VK_D", 0, kNotExtended, 7, "D"},
    {69, "VK_E", 0, kNotExtended, 8, "E"},
    {70, "VK_F", 0, kNotExtended, 9, "F"},
    {71, "VK_G", 0, kNotExtended, 10, "G"},
    {72, "VK_H", 0, kNotExtended, 11, "H"},
    {73, "VK_I", 0, kNotExtended, 12, "I"},
    {74, "VK_J", 0, kNotExtended, 13, "J"},
    {75, "VK_K", 0, kNotExtended, 14, "K"},
    {76, "VK_L", 0, kNotExtended, 15, "L"},
    {77, "VK_M", 0, kNotExtended, 16, "M"},
    {78, "VK_N", 0, kNotExtended, 17, "N"},
    {79, "VK_O", 0, kNotExtended, 18, "O"},
    {80, "VK_P", 0, kNotExtended, 19, "P"},
    {81, "VK_Q", 0, kNotExtended, 20, "Q"},
    {82, "VK_R", 0, kNotExtended, 21, "R"},
    {83, "VK_S", 0, kNotExtended, 22, "S"},
    {84, "VK_T", 0, kNotExtended, 23, "T"},
    {85, "VK_U", 0, kNotExtended, 24, "U"},
    {86, "VK_V", 0, kNotExtended, 25, "V"},
    {87, "VK_W", 0, kNotExtended, 26, "W"},
    {88, "VK_X", 0, kNotExtended, 27, "X"},
    {89, "VK_Y", 0, kNotExtended, 28, "Y"},
    {90, "VK_Z", 0, kNotExtended, 29, "Z"},
    {91, "VK_LWIN", 0, kExtended, 227, "L WIN"},
    {92, "VK_RWIN", 0, kExtended, 231, "R WIN"},
    {93, "VK_APP", 0, kExtended, 101, "APP"},
    {94, nullptr, 0, kNotExtended, -1, "Undefined"},
    {95, "VK_SLEEP", 0x5F, kExtended, -1, "SLEEP"},
    {96, "VK_NUMPAD0", 0, kNotExtended, 98, "NUMPAD 0"},
    {97, "VK_NUMPAD1", 0, kNotExtended, 89, "NUMPAD 1"},
    {98, "VK_NUMPAD2", 0, kNotExtended, 90, "NUMPAD 2"},
    {99, "VK_NUMPAD3", 0, kNotExtended, 91, "NUMPAD 3"},
    {100, "VK_NUMPAD4", 0, kNotExtended, 92, "NUMPAD 4"},
    {101, "VK_NUMPAD5", 0, kNotExtended, 93, "NUMPAD 5"},
    {102, "VK_NUMPAD6", 0, kNotExtended, 94, "NUMPAD 6"},
    {103, "VK_NUMPAD7", 0, kNotExtended, 95, "NUMPAD 7"},
    {104, "VK_NUMPAD8", 0, kNotExtended, 96, "NUMPAD 8"},
    {105, "VK_NUMPAD9", 0, kNotExtended, 97, "NUMPAD 9"},
    {106, "VK_MULTIPLY", 0, kNotExtended, 85, "*"},
    {107, "VK_ADD", 0, kNotExtended, 87, "+"},
    {108, "VK_SEPARATOR", 0, kNotExtended, 151, "Separator"},
    {109, "VK_SUBTRACT", 0, kNotExtended, 86, "-"},
    {110, "VK_DECIMAL", 0, kNotExtended, 99, "Decimal"},
    {111, "VK_DIVIDE", 0, kExtended, 84, "/"},
    {112, "VK_F1", 0, kNotExtended, 58, "F1"},
    {113, "VK_F2", 0, kNotExtended, 59, "F2"},
    {114, "VK_F3", 0, kNotExtended, 60, "F3"},
    {115, "VK_F4", 0, kNotExtended, 61, "F4"},
    {116, "VK_F5", 0, kNotExtended, 62, "F5"},
    {117, "VK_F6", 0, kNotExtended, 63, "F6"},
    {118, "VK_F7", 0, kNotExtended, 64, "F7"},
    {119, "VK_F8", 0, kNotExtended, 65, "F8"},
    {120, "VK_F9", 0, kNotExtended, 66, "F9"},
    {121, "VK_F10", 0, kNotExtended, 67, "F10"},
    {122, "VK_F11", 0, kNotExtended, 68, "F11"},
    {123, "VK_F12", 0, kNotExtended, 69, "F12"},
    {124, "VK_F13", 0, kNotExtended, 104, "F13"},
    {125, "VK_F14", 0, kNotExtended, 105, "F14"},
    {126, "VK_F15", 0, kNotExtended, 106, "F15"},
    {127, "VK_F16", 0, kNotExtended, 107, "F16"},
    {128, "VK_F17", 0, kNotExtended, 108, "F17"},
    {129, "VK_F18", 0, kNotExtended, 109, "F18"},
    {130, "VK_F19", 0, kNotExtended, 110, "F19"},
    {131, "VK_F20", 0, kNotExtended, 111, "F20"},
    {132, "VK_F21", 0, kNotExtended, 112, "F21"},
    {133, "VK_F22", 0, kNotExtended, 113, "F22"},
    {134, "VK_F23", 0, kNotExtended, 114, "F23"},
    {135, "VK_F24", 0, kNotExtended, 115, "F24"},
    {136, nullptr, 0, kNotExtended, -1, "Undefined"},
    {137, nullptr, 0, kNotExtended, -1, "Undefined"},
    {138, nullptr, 0, kNotExtended, -1, "Undefined"},
    {139, nullptr, 0, kNotExtended, -1, "Undefined"},
    {140, nullptr, 0, kNotExtended, -1, "Undefined"},
    {141, nullptr, 0, kNotExtended, -1, "Undefined"},
    {142, nullptr, 0, kNotExtended, -1, "Undefined"},
    {143, nullptr, 0, kNotExtended, -1, "Undefined"},
    {144, "VK_NUMLOCK", 0, kExtended, 83, "NUM LOCK"},
    {145, "VK_SCROLL", 0, kNotExtended, 71, "Scroll Lock"},
    {146, "VK_OEM_NEC_EQUAL", 0x59, kNotExtended, 103, "NUMPAD ="},
    {147, nullptr, 0, kNotExtended, -1, "Undefined"},
    {148, nullptr, 0, kNotExtended, -1, "Undefined"},
    {149, nullptr, 0, kNotExtended, -1, "Undefined"},
    {150, nullptr, 0, kNotExtended, -1, "Undefined"},
    {151, nullptr, 0, kNotExtended, -1, "Undefined"},
    {152, nullptr, 0, kNotExtended, -1, "Undefined"},
    {153, nullptr, 0, kNotExtended, -1, "Undefined"},
    {154, nullptr, 0, kNotExtended, -1, "Undefined"},
    {155, nullptr, 0, kNotExtended, -1, "Undefined"},
    {156, nullptr, 0, kNotExtended, -1, "Undefined"},
    {157, nullptr, 0, kNotExtended, -1, "Undefined"},
    {158, nullptr, 0, kNotExtended, -1, "Undefined"},
    {159, nullptr, 0, kNotExtended, -1, "Undefined"},
    {160, "VK_LSHIFT", 0, kNotExtended, 225, "L SHIFT"},
    {161, "VK_RSHIFT", 0, kExtended, 229, "R SHIFT"},
    {162, "VK_LCONTROL", 0, kNotExtended, 224, "L CTRL"},
    {163, "VK_RCONTROL", 0, kExtended, 228, "R CTRL"},
    {164, "VK_LMENU", 0, kNotExtended, 226, "L ALT"},
    {165, "VK_RMENU", 0, kExtended, 230, "R ALT"},
    // Browser, volume, media and launch keys: Consumer page usages.
    {166, "VK_BROWSER_BACK", 0, kExtended, 548, "BROWSER_BACK"},
    {167, "VK_BROWSER_FORWARD", 0, kExtended, 549, "BROWSER_FORWARD"},
    {168, "VK_BROWSER_REFRESH", 0, kExtended, 551, "BROWSER_REFRESH"},
    {169, "VK_BROWSER_STOP", 0, kExtended, 550, "BROWSER_STOP"},
    {170, "VK_BROWSER_SEARCH", 0, kExtended, 545, "BROWSER_SEARCH"},
    {171, "VK_BROWSER_FAVORITES", 0, kExtended, 554, "BROWSER_FAVORITES"},
    {172, "VK_BROWSER_HOME", 0, kExtended, 547, "BROWSER_HOME"},
    {173, "VK_VOLUME_MUTE", 0, kExtended, 226, "VOLUME_MUTE"},
    {174, "VK_VOLUME_DOWN", 0, kExtended, 234, "VOLUME_DOWN"},
    {175, "VK_VOLUME_UP", 0, kExtended, 233, "VOLUME_UP"},
    {176, "VK_MEDIA_NEXT_TRACK", 0, kExtended, 181, "MEDIA_NEXT_TRACK"},
    {177, "VK_MEDIA_PREV_TRACK", 0, kExtended, 182, "MEDIA_PREV_TRACK"},
    {178, "VK_MEDIA_STOP", 0, kExtended, 183, "MEDIA_STOP"},
    {179, "VK_MEDIA_PLAY_PAUSE", 0, kExtended, 205, "MEDIA_PLAY_PAUSE"},
    {180, "VK_LAUNCH_MAIL", 0, kExtended, 394, "LAUNCH_MAIL"},
    {181, "VK_LAUNCH_MEDIA_SELECT", 0, kExtended, 387, "LAUNCH_MEDIA_SELECT"},
    {182, "VK_LAUNCH_APP1", 0, kExtended, 404, "LAUNCH_APP1"},
    {183, "VK_LAUNCH_APP2", 0, kExtended, 402, "LAUNCH_APP2"},
    // The OEM keys of a US layout.
    {186, "VK_OEM_1", 39, kNotExtended, 51, ";:"},
    {187, "VK_OEM_PLUS", 13, kNotExtended, 46, "="},
    {188, "VK_OEM_COMMA", 51, kNotExtended, 54, ",<"},
    {189, "VK_OEM_MINUS", 12, kNotExtended, 45, "-_"},
    {190, "VK_OEM_PERIOD", 52, kNotExtended, 55, "."},
    {191, "VK_OEM_2", 53, kNotExtended, 56, "/?"},
    {192, "VK_OEM_3", 41, kNotExtended, 53, "~`"},
    {219, "VK_OEM_4", 26, kNotExtended, 47, "[{"},
    {220, "VK_OEM_5", 43, kNotExtended, 49, "\\|"},
    {221, "VK_OEM_6", 27, kNotExtended, 48, "]}"},
    {222, "VK_OEM_7", 40, kNotExtended, 52, "'\""},
    {223, "VK_OEM_8", 0, kNotExtended, -1, "None"},
    {224, "VK_UNDEFINED_E0", 0, kNotExtended, -1, "Undefined"},
    {225, "VK_OEM_AX", 0, kNotExtended, -1, "AX"},
    {226, "VK_OEM_102", 86, kNotExtended, 100, "Europe 2 (Note 2)"},
    // Keys of Japanese, Korean and Brazilian keyboards, with the keys Windows gives them and
    // their positional usages (International 1-5, LANG1-2, Keypad Comma, Keyboard Grave).
    {193, "VK_ABNT_C1", 0x73, kNotExtended, 135, "RO"},
    {194, "VK_ABNT_C2", 0x7E, kNotExtended, 133, "NUMPAD ,"},
    {242, "VK_OEM_COPY", 0x70, kNotExtended, 136, "KATAKANA/HIRAGANA"},
    {243, "VK_OEM_AUTO", 0x29, kNotExtended, 53, "ZENKAKU/HANKAKU"},
    {244, "VK_OEM_ENLW", 0x7D, kNotExtended, 137, "YEN"},
};
static_assert(std::size(kNormalRows) == 184 + 7 + 8 + 5);

// The separate keys that share their code with a keypad key, and the power key.
constexpr ConstRow kExtendedRows[] = {
    {13, "VK_RETURN", 0, kExtended, 88, "ENTER"},
    {45, "VK_INSERT", 0, kExtended, 73, "INS"},
    {46, "VK_DELETE", 0, kExtended, 76, "DEL"},
    {255, "VK_POWER", 94, kExtended, 76, "DEL"},
    {33, "VK_PRIOR", 0, kExtended, 75, "PAGE UP"},
    {34, "VK_NEXT", 0, kExtended, 78, "PAGE DOWN"},
    {35, "VK_END", 0, kExtended, 77, "END"},
    {36, "VK_HOME", 0, kExtended, 74, "HOME"},
    {37, "VK_LEFT", 0, kExtended, 80, "LEFT ARROW"},
    {38, "VK_UP", 0, kExtended, 82, "UP ARROW"},
    {39, "VK_RIGHT", 0, kExtended, 79, "RIGHT ARROW"},
    {40, "VK_DOWN", 0, kExtended, 81, "DOWN ARROW"},
};
static_assert(std::size(kExtendedRows) == 4 + 8);

std::string hex(int value, int digits) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%0*X", digits, value);
  return buf;
}

using Table = std::vector<TKeyboardInfoTable>;

Table buildTable(int32_t extended, const ConstRow* rows, std::size_t count) {
  Table t(kKeyTableRows);
  for (int i = 0; i < kKeyTableRows; ++i)
    t[i] = {"VK_UNDEFINED_" + hex(i, 3), i, 0, extended, -1, "UNDEFINED_" + hex(i, 3)};
  for (std::size_t k = 0; k < count; ++k) {
    const ConstRow& r = rows[k];
    t[r.vk] = {r.name ? r.name : "VK_UNDEFINED_" + hex(r.vk, 2),
               r.vk,
               r.scan,
               r.extended,
               r.hid,
               r.description};
  }
  return t;
}

struct Tables {
  Table normal = buildTable(kNotExtended, kNormalRows, std::size(kNormalRows));
  Table extended = buildTable(kExtended, kExtendedRows, std::size(kExtendedRows));
};

// Built by the first lookup; a function-local static is initialised once, thread-safely.
const Tables& tables() {
  static const Tables t;
  return t;
}

}  // namespace

const TKeyboardInfoTable* FindKeyRow(uint32_t vk, int32_t extended) {
  const Tables& t = tables();
  if (vk >= static_cast<uint32_t>(kKeyTableRows)) return nullptr;
  const int32_t flag = extended == kNotExtended ? 0 : extended == kExtended ? 1 : extended;
  if (flag == 0) return &t.normal[vk];
  if (flag == 1 && t.normal[vk].Extended == kExtended) return &t.normal[vk];
  return &t.extended[vk];
}

int32_t GetHIDCodeByVK(uint32_t vk, int32_t extended) {
  const TKeyboardInfoTable* row = FindKeyRow(vk, extended);
  return row && row->HIDCode != -1 ? row->HIDCode : 0;
}

namespace {
KeyLabelSource& keyLabels() {
  static KeyLabelSource source;
  return source;
}
}  // namespace

void UseKeyLabels(KeyLabelSource source) {
  keyLabels() = std::move(source);
}

std::string GetKeyDescriptionByVK(uint32_t vk, int32_t extended) {
  const TKeyboardInfoTable* row = FindKeyRow(vk, extended);
  if (!row) return {};
  if (keyLabels())
    if (std::string label = keyLabels()(vk, extended != 0); !label.empty()) return label;
  return row->KeyDescription;
}

std::string GetModifierText(uint8_t flags) {
  std::string text;
  if (flags & 1) text += "Alt+";
  if (flags & 2) text += "Ctrl+";
  if (flags & 4) text += "Shift+";
  if (flags & 8) text += "WIN+";
  return text;
}

uint8_t GetHIDModifierBits(uint8_t flags) {
  uint8_t bits = 0;
  if (flags & 1) bits |= 4;  // Alt
  if (flags & 2) bits |= 1;  // Ctrl
  if (flags & 4) bits |= 2;  // Shift
  if (flags & 8) bits |= 8;  // Windows / GUI
  return bits;
}

}  // namespace qor
