// SPDX-License-Identifier: GPL-2.0-or-later
// How the Windows pointer values of a profile map onto Linux desktops: the one place.
//
// GNOME (org.gnome.desktop.peripherals.mouse):
//   speed         Windows 1..20 -> -1..1, piecewise linear so that Windows' default 10 lands
//                 on GNOME's default 0: 1 -> -1, 10 -> 0, 20 -> 1.
//   accel-profile preset 0 -> "flat", presets 1..3 -> "adaptive".
//   double-click  milliseconds, unchanged.
//   wheel lines   no such setting: skipped.
// KDE Plasma (KWin's input devices on Wayland; kcminputrc [Mouse] and the X server on X11;
// kdeglobals [KDE] for every KDE program):
//   speed         the same -1..1 libinput scale as GNOME (pointerAcceleration,
//                 XLbInptPointerAcceleration).
//   accel-profile preset 0 -> flat, presets 1..3 -> adaptive (the profile flags).
//   double-click  milliseconds, DoubleClickInterval.
//   wheel lines   WheelScrollLines 1..29; one page per notch has no KDE setting: skipped.
// X11 (XChangePointerControl, core pointer):
//   acceleration  preset (t1, t2, level): multiplier 2^level (1, 2 or 4) past threshold t1;
//                 X has one threshold, so t2 is not used. Speed, wheel lines and double-click
//                 have no place in the core protocol: skipped.
#pragma once

#include <string>

#include "platform/pointer_settings.h"

namespace qor {

double GnomeSpeedFromWindows(int speed);
std::string GnomeAccelProfile(int preset);

struct X11PointerControl {
  int numerator;
  int denominator;
  int threshold;
};
X11PointerControl X11ControlFromPreset(const PointerAccelerationPreset& preset);

}  // namespace qor
