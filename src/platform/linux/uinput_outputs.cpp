// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/uinput_outputs.h"

#include <linux/input.h>

namespace qor {

bool OutputHasKey(UinputOutput output, unsigned code) {
  if (output == UinputOutput::Pointer) return code >= BTN_LEFT && code <= BTN_TASK;
  // The keys below the buttons and the further keys, without the d-pad and trigger buttons.
  return (code >= KEY_ESC && code < BTN_MISC) || (code >= KEY_OK && code < BTN_DPAD_UP) ||
         (code > BTN_DPAD_RIGHT && code < BTN_TRIGGER_HAPPY);
}

bool OutputHasRel(UinputOutput output, unsigned code) {
  return output == UinputOutput::Pointer &&
         (code == REL_X || code == REL_Y || code == REL_WHEEL || code == REL_HWHEEL);
}

UinputOutput OutputFor(uint16_t type, uint16_t code) {
  const bool pointer =
      type == EV_REL || (type == EV_KEY && OutputHasKey(UinputOutput::Pointer, code));
  return pointer ? UinputOutput::Pointer : UinputOutput::Keyboard;
}

}  // namespace qor
