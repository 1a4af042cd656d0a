// SPDX-License-Identifier: GPL-2.0-or-later
// The pointer settings of KDE Plasma: KWin's input devices over D-Bus (Wayland), else the
// X server's core pointer and the files Plasma reads at login (X11), and kdeglobals for what
// every KDE program reads (double-click time, wheel lines).
#pragma once

#include <filesystem>
#include <memory>

#include "platform/pointer_settings.h"

namespace qor {

// `configHome`: the folder of kdeglobals and kcminputrc ($XDG_CONFIG_HOME). `x11`: the core
// pointer, for acceleration where KWin offers no input devices (a Plasma X11 session); may
// be null.
std::unique_ptr<PointerSettings> MakeKdePointerSettings(std::filesystem::path configHome,
                                                        std::unique_ptr<PointerSettings> x11);

}  // namespace qor
