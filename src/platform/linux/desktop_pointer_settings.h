// SPDX-License-Identifier: GPL-2.0-or-later
// The pointer settings of the running desktop, loaded at run time so that the programs start
// where a desktop library is absent.
#pragma once

#include <memory>
#include <string>

#include "platform/pointer_settings.h"

namespace qor {

// GNOME through GSettings (libgio loaded at run time); null when GIO or the
// org.gnome.desktop.peripherals.mouse schema is missing.
std::unique_ptr<PointerSettings> MakeGnomePointerSettings();
// The X server's core pointer (libX11 loaded at run time); null without libX11 or display.
std::unique_ptr<PointerSettings> MakeX11PointerSettings(const std::string& display = "");
// Skips every setting.
std::unique_ptr<PointerSettings> MakeNoPointerSettings();
// GNOME when the session is GNOME-based, KDE when it is Plasma, else X11 when a display is
// there, else none.
std::unique_ptr<PointerSettings> MakeDesktopPointerSettings();

}  // namespace qor
