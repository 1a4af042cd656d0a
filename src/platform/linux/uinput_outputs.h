// SPDX-License-Identifier: GPL-2.0-or-later
// The codes of the input hook's two output devices, which re-emit what the hook passes on:
// a keyboard with keyboard keys only and a pointer with the mouse buttons and relative axes
// only. Neither declares a code of the joystick or gamepad ranges: udev would then tag the
// device a joystick before it considers "mouse", and the desktop would ignore its motion.
#pragma once

#include <cstdint>

namespace qor {

enum class UinputOutput { Keyboard, Pointer };

bool OutputHasKey(UinputOutput output, unsigned code);
bool OutputHasRel(UinputOutput output, unsigned code);
// The output that re-emits an event of this type and code.
UinputOutput OutputFor(uint16_t type, uint16_t code);

}  // namespace qor
