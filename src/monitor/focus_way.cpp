// SPDX-License-Identifier: GPL-2.0-or-later
#include "monitor/focus_way.h"

#include <cstdlib>

namespace qor {
namespace {

bool listed(const std::string& list, const std::string& name) {
  for (std::size_t at = 0; at <= list.size();) {
    std::size_t end = list.find(':', at);
    if (end == std::string::npos) end = list.size();
    if (list.compare(at, end - at, name) == 0) return true;
    at = end + 1;
  }
  return false;
}

std::string value(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

}  // namespace

FocusWay ChooseFocusWay(const SessionKind& s) {
  const bool wayland = s.sessionType == "wayland" || (s.sessionType.empty() && s.waylandDisplay);
  if (!wayland) return FocusWay::X11;
  if (listed(s.desktop, "KDE")) return FocusWay::KWinScript;
  // Mutter keeps _NET_ACTIVE_WINDOW of XWayland's root up to date for X11 windows and sets it
  // to none when a Wayland window takes the focus.
  if (listed(s.desktop, "GNOME") && s.x11Display) return FocusWay::XWayland;
  return FocusWay::None;
}

SessionKind ThisSession() {
  return {value("XDG_SESSION_TYPE"), value("XDG_CURRENT_DESKTOP"),
          !value("WAYLAND_DISPLAY").empty(), !value("DISPLAY").empty()};
}

}  // namespace qor
