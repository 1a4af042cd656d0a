// SPDX-License-Identifier: GPL-2.0-or-later
// Key labels of the user's keyboard layout through libxkbcommon: on a German keyboard the key
// a US keyboard calls Y is shown as Z. Codes stay positional; only the names shown change.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

namespace qor {

struct KeyboardLayoutName {
  std::string layout;   // "de", "fr", "jp" ...; the first of a comma-separated list
  std::string variant;  // "" for the layout's default
  bool operator==(const KeyboardLayoutName&) const = default;
};

// The layout of the session: XKB_DEFAULT_LAYOUT (and XKB_DEFAULT_VARIANT), else the X
// server's (XWayland's on GNOME), else KDE's kxkbrc in `configHome`, else the system's
// /etc/default/keyboard, else "us".
KeyboardLayoutName SessionKeyboardLayout(const std::string& configHome);

// The first layout of KDE's kxkbrc ([Layout] LayoutList, VariantList); empty when none.
KeyboardLayoutName LayoutFromKxkbrc(std::string_view text);
// The first layout of /etc/default/keyboard (XKBLAYOUT, XKBVARIANT); empty when none.
KeyboardLayoutName LayoutFromDefaultKeyboard(std::string_view text);

// (virtual key, extended) -> the upper-case character the key types without modifiers, for
// every key of the recorder's table that types one; empty when libxkbcommon does not know the
// layout.
std::map<std::pair<uint32_t, bool>, std::string> XkbKeyLabels(const KeyboardLayoutName& name);

// Shows the session layout's labels wherever keys are named (UseKeyLabels); false when the
// layout gave none (the table's names stay).
bool UseSessionKeyLabels(const std::string& configHome);

}  // namespace qor
