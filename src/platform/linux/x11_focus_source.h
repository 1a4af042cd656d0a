// SPDX-License-Identifier: GPL-2.0-or-later
// The focused window on X11: the window manager's _NET_ACTIVE_WINDOW and the window's WM_CLASS,
// read through libxcb loaded at run time.
#pragma once

#include <memory>
#include <string>

#include "platform/focus_source.h"

namespace qor {

// Follows the focus on `display` ("" for $DISPLAY); null, with the reason in `problem`, when
// libxcb or the display cannot be reached.
std::unique_ptr<FocusSource> MakeX11FocusSource(const std::string& display, std::string& problem);

}  // namespace qor
