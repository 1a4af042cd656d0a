// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/xkb_key_labels.h"

#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <locale>
#include <memory>
#include <vector>

#include "model/wide_text.h"
#include "platform/atomic_file.h"
#include "platform/ini_text.h"
#include "platform/linux/evdev_keymap.h"
#include "platform/linux/shared_library.h"
#include "protocol/key_code_table.h"

namespace qor {
namespace {

// A value of a settings file without its quotes and spaces ("de,us" of XKBLAYOUT="de,us").
std::string_view unquoted(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '"')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '"')) s.remove_suffix(1);
  return s;
}

std::string firstOfList(std::string_view list) {
  const std::string_view all = unquoted(list);
  return std::string(unquoted(all.substr(0, all.find(','))));
}

// A settings file's text; empty when it cannot be read.
std::string readText(const std::string& file) {
  std::vector<uint8_t> bytes;
  if (readWholeFile(file, bytes)) return {};
  return std::string(bytes.begin(), bytes.end());
}

// The X server's keyboard rule names (rules, model, layout, variant, options, each 0-ended),
// read through libX11 loaded at run time; empty without a display.
KeyboardLayoutName layoutOfXServer() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return {};
  SharedLibrary x11("libX11.so.6");
  void* (*open)(const char*) = nullptr;
  int (*close)(void*) = nullptr;
  unsigned long (*root)(void*) = nullptr;
  unsigned long (*atom)(void*, const char*, int) = nullptr;
  int (*get)(void*, unsigned long, unsigned long, long, long, int, unsigned long, unsigned long*,
             int*, unsigned long*, unsigned long*, unsigned char**) = nullptr;
  int (*release)(void*) = nullptr;
  if (!(x11.bind(open, "XOpenDisplay") && x11.bind(close, "XCloseDisplay") &&
        x11.bind(root, "XDefaultRootWindow") && x11.bind(atom, "XInternAtom") &&
        x11.bind(get, "XGetWindowProperty") && x11.bind(release, "XFree")))
    return {};
  void* dpy = open(display);
  if (!dpy) return {};
  KeyboardLayoutName name;
  constexpr unsigned long kString = 31;  // XA_STRING
  unsigned long type = 0, items = 0, after = 0;
  int format = 0;
  unsigned char* data = nullptr;
  const unsigned long names = atom(dpy, "_XKB_RULES_NAMES", 1);
  if (names &&
      get(dpy, root(dpy), names, 0, 1024, 0, kString, &type, &format, &items, &after, &data) == 0 &&
      data && format == 8) {
    // rules \0 model \0 layout \0 variant \0 options
    std::string_view all(reinterpret_cast<const char*>(data), items);
    std::string_view parts[4];
    for (std::string_view& p : parts) {
      const auto zero = all.find('\0');
      p = all.substr(0, zero);
      all = zero == std::string_view::npos ? std::string_view() : all.substr(zero + 1);
    }
    name = {firstOfList(parts[2]), firstOfList(parts[3])};
  }
  if (data) release(data);
  close(dpy);
  return name;
}

// Upper case as the C.UTF-8 locale knows it (é -> É); characters without one, and labels of
// more than one UTF-16 unit, stay as they are.
std::string upperCase(const std::string& utf8) {
  static const std::locale* utf8Locale = [] {
    try {
      return new std::locale("C.UTF-8");
    } catch (...) {
      return static_cast<std::locale*>(nullptr);
    }
  }();
  std::u16string text = toUtf16(utf8);
  if (text.size() != 1) return utf8;
  if (utf8Locale)
    text[0] = char16_t(std::use_facet<std::ctype<wchar_t>>(*utf8Locale).toupper(wchar_t(text[0])));
  else if (text[0] < 0x80)
    text[0] = char16_t(std::toupper(int(text[0])));
  return toUtf8(text);
}

struct ContextUnref {
  void operator()(xkb_context* c) const { xkb_context_unref(c); }
};
struct KeymapUnref {
  void operator()(xkb_keymap* k) const { xkb_keymap_unref(k); }
};
struct StateUnref {
  void operator()(xkb_state* s) const { xkb_state_unref(s); }
};

}  // namespace

KeyboardLayoutName LayoutFromKxkbrc(std::string_view text) {
  return {firstOfList(GetIniValue(text, "Layout", "LayoutList")),
          firstOfList(GetIniValue(text, "Layout", "VariantList"))};
}

KeyboardLayoutName LayoutFromDefaultKeyboard(std::string_view text) {
  return {firstOfList(GetIniValue(text, "", "XKBLAYOUT")),
          firstOfList(GetIniValue(text, "", "XKBVARIANT"))};
}

KeyboardLayoutName SessionKeyboardLayout(const std::string& configHome) {
  if (const char* layout = std::getenv("XKB_DEFAULT_LAYOUT"); layout && *layout) {
    const char* variant = std::getenv("XKB_DEFAULT_VARIANT");
    return {firstOfList(layout), variant ? firstOfList(variant) : std::string()};
  }
  if (KeyboardLayoutName x = layoutOfXServer(); !x.layout.empty()) return x;
  if (KeyboardLayoutName kde = LayoutFromKxkbrc(readText(configHome + "/kxkbrc"));
      !kde.layout.empty())
    return kde;
  if (KeyboardLayoutName system = LayoutFromDefaultKeyboard(readText("/etc/default/keyboard"));
      !system.layout.empty())
    return system;
  return {"us", ""};
}

std::map<std::pair<uint32_t, bool>, std::string> XkbKeyLabels(const KeyboardLayoutName& name) {
  std::map<std::pair<uint32_t, bool>, std::string> labels;
  std::unique_ptr<xkb_context, ContextUnref> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
  if (!context || name.layout.empty()) return labels;
  // An unknown layout is an ordinary outcome here (the table's names stay), not an error to
  // print.
  xkb_context_set_log_level(context.get(), XKB_LOG_LEVEL_CRITICAL);
  const xkb_rule_names names{nullptr, nullptr, name.layout.c_str(), name.variant.c_str(), nullptr};
  std::unique_ptr<xkb_keymap, KeymapUnref> keymap(
      xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
  if (!keymap) return labels;
  std::unique_ptr<xkb_state, StateUnref> state(xkb_state_new(keymap.get()));
  if (!state) return labels;
  for (const EvdevKeyMapping& key : EvdevKeyTable()) {
    // Keypad keys name their function, not a layout's character.
    if (key.vkWithoutNumLock) continue;
    char text[16] = {};
    const xkb_keycode_t code = key.code + 8;  // evdev codes are X key codes minus 8
    const int n = xkb_state_key_get_utf8(state.get(), code, text, sizeof text);
    if (n <= 0 || n >= int(sizeof text)) continue;
    const std::string typed(text, std::size_t(n));
    // Control characters, space and Delete keep their descriptions.
    if (typed.size() == 1 && (static_cast<unsigned char>(typed[0]) <= 0x20 || typed[0] == 0x7F))
      continue;
    labels[{key.vk, key.extended}] = upperCase(typed);
  }
  return labels;
}

bool UseSessionKeyLabels(const std::string& configHome) {
  auto labels = XkbKeyLabels(SessionKeyboardLayout(configHome));
  if (labels.empty()) return false;
  UseKeyLabels([labels = std::move(labels)](uint32_t vk, bool extended) {
    const auto found = labels.find({vk, extended});
    return found == labels.end() ? std::string() : found->second;
  });
  return true;
}

}  // namespace qor
