#include "platform/linux/xkb_key_labels.h"

#include <dlfcn.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <locale>
#include <memory>
#include <sstream>

#include "platform/linux/evdev_keymap.h"
#include "protocol/key_code_table.h"

namespace qor {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '"'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '"'))
    s.remove_suffix(1);
  return s;
}

std::string firstOfList(std::string_view list) {
  return std::string(trim(list.substr(0, list.find(','))));
}

// The value of `key` in KEY=VALUE lines, in the group `group` when it is not empty.
std::string valueOf(std::string_view text, std::string_view group, std::string_view key) {
  bool inGroup = group.empty();
  std::string_view current;
  for (std::size_t start = 0; start < text.size();) {
    const auto end = text.find('\n', start);
    std::string_view line =
        trim(text.substr(start, end == std::string_view::npos ? end : end - start));
    start = end == std::string_view::npos ? text.size() : end + 1;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      inGroup = group.empty() || line.substr(1, line.size() - 2) == group;
      continue;
    }
    const auto eq = line.find('=');
    if (inGroup && eq != std::string_view::npos && trim(line.substr(0, eq)) == key)
      return std::string(trim(line.substr(eq + 1)));
  }
  return {};
}

std::string readText(const std::string& file) {
  std::ifstream in(file);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The X server's keyboard rule names (rules, model, layout, variant, options, each 0-ended),
// read through libX11 loaded at run time; empty without a display.
KeyboardLayoutName layoutOfXServer() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return {};
  void* x11 = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  if (!x11) return {};
  using Open = void* (*)(const char*);
  using Close = int (*)(void*);
  using Root = unsigned long (*)(void*);
  using Atom = unsigned long (*)(void*, const char*, int);
  using Get = int (*)(void*, unsigned long, unsigned long, long, long, int, unsigned long,
                      unsigned long*, int*, unsigned long*, unsigned long*, unsigned char**);
  using Free = int (*)(void*);
  auto open = reinterpret_cast<Open>(::dlsym(x11, "XOpenDisplay"));
  auto close = reinterpret_cast<Close>(::dlsym(x11, "XCloseDisplay"));
  auto root = reinterpret_cast<Root>(::dlsym(x11, "XDefaultRootWindow"));
  auto atom = reinterpret_cast<Atom>(::dlsym(x11, "XInternAtom"));
  auto get = reinterpret_cast<Get>(::dlsym(x11, "XGetWindowProperty"));
  auto release = reinterpret_cast<Free>(::dlsym(x11, "XFree"));
  KeyboardLayoutName name;
  void* dpy = open && close && root && atom && get && release ? open(display) : nullptr;
  if (dpy) {
    constexpr unsigned long kString = 31;  // XA_STRING
    unsigned long type = 0, items = 0, after = 0;
    int format = 0;
    unsigned char* data = nullptr;
    const unsigned long names = atom(dpy, "_XKB_RULES_NAMES", 1);
    if (names &&
        get(dpy, root(dpy), names, 0, 1024, 0, kString, &type, &format, &items, &after, &data) ==
            0 &&
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
  }
  ::dlclose(x11);
  return name;
}

// Upper case as the C.UTF-8 locale knows it (é -> É); characters without one stay.
std::string upperCase(const std::string& utf8) {
  static const std::locale* utf8Locale = [] {
    try {
      return new std::locale("C.UTF-8");
    } catch (...) {
      return static_cast<std::locale*>(nullptr);
    }
  }();
  // Decode one code point; labels are single characters.
  const auto* b = reinterpret_cast<const unsigned char*>(utf8.data());
  char32_t c = 0;
  int n = 0;
  if (utf8.empty()) return utf8;
  if (b[0] < 0x80) {
    c = b[0];
    n = 1;
  } else if ((b[0] & 0xE0) == 0xC0 && utf8.size() >= 2) {
    c = (b[0] & 0x1F) << 6 | (b[1] & 0x3F);
    n = 2;
  } else if ((b[0] & 0xF0) == 0xE0 && utf8.size() >= 3) {
    c = (b[0] & 0x0F) << 12 | (b[1] & 0x3F) << 6 | (b[2] & 0x3F);
    n = 3;
  } else {
    return utf8;
  }
  if (n != int(utf8.size())) return utf8;
  char32_t u = c;
  if (utf8Locale)
    u = char32_t(std::use_facet<std::ctype<wchar_t>>(*utf8Locale).toupper(wchar_t(c)));
  else if (c < 0x80)
    u = char32_t(std::toupper(int(c)));
  char out[4];
  char32_t k = u;
  if (k < 0x80) return std::string(1, char(k));
  if (k < 0x800) {
    out[0] = char(0xC0 | (k >> 6));
    out[1] = char(0x80 | (k & 0x3F));
    return std::string(out, 2);
  }
  out[0] = char(0xE0 | (k >> 12));
  out[1] = char(0x80 | ((k >> 6) & 0x3F));
  out[2] = char(0x80 | (k & 0x3F));
  return std::string(out, 3);
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
  return {firstOfList(valueOf(text, "Layout", "LayoutList")),
          firstOfList(valueOf(text, "Layout", "VariantList"))};
}

KeyboardLayoutName LayoutFromDefaultKeyboard(std::string_view text) {
  return {firstOfList(valueOf(text, "", "XKBLAYOUT")),
          firstOfList(valueOf(text, "", "XKBVARIANT"))};
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
