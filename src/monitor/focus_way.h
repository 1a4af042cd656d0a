// SPDX-License-Identifier: GPL-2.0-or-later
// Where the monitor learns which application has the focus, from the session it runs in.
#pragma once

#include <string>

namespace qor {

enum class FocusWay {
  X11,         // an X11 session: the window manager tells every client
  KWinScript,  // KDE Plasma under Wayland: a KWin script calls the monitor back
  XWayland,    // GNOME under Wayland: the X11 source on XWayland, which sees X11 windows only
  None,        // a Wayland desktop that tells no other program
};

struct SessionKind {
  std::string sessionType;  // XDG_SESSION_TYPE
  std::string desktop;      // XDG_CURRENT_DESKTOP, a colon-separated list
  bool waylandDisplay = false;
  bool x11Display = false;  // DISPLAY is set (under Wayland: XWayland's)
};

FocusWay ChooseFocusWay(const SessionKind& session);

// The session of this process, from its environment.
SessionKind ThisSession();

}  // namespace qor
