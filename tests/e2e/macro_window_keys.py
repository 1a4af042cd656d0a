# SPDX-License-Identifier: GPL-2.0-or-later
"""A user outside the group "input" records a macro: without the desktop's keyboards the macro
manager records the keys typed into its own window. Over AT-SPI, as a screen-reader user
types: a new macro "keys" in button 3's macro manager, A and B typed through the accessibility
registry (X key events) with pauses between them; the manager shows the note that only its
own keys are recorded, OK writes the macro, Apply sends it. The delays are the X server's own
time stamps, so they are read from the rows and then checked in the mouse's memory,
byte for byte, against the rows."""
import os
import re
import sys
import time

import pyatspi

from atspi_driver import (action_rows, checked, control, fail, new_macro, open_macro_manager,
                          press, wait_for, wait_for_memory)

X11_A, X11_B = 38, 56  # Linux key codes of A and B + 8
NOTE = "Only the keys you type into this window are recorded."


def type_key(code, pause):
    pyatspi.Registry.generateKeyboardEvent(code, None, pyatspi.KEY_PRESS)
    time.sleep(pause)
    pyatspi.Registry.generateKeyboardEvent(code, None, pyatspi.KEY_RELEASE)
    time.sleep(pause)


def main():
    memory_file = os.environ["QOR_E2E_MEMORY"]
    manager = open_macro_manager("Button 3")
    if not any(NOTE in (o.name or "") for o in _labels(manager)):
        print("macro_window_keys: this machine's keyboards can be read; nothing to check")
        sys.exit(77)

    new_macro(manager, "keys")

    start = press("Start", within=manager)
    wait_for('"Start" on', lambda: checked(start))
    type_key(X11_A, 0.2)
    type_key(X11_B, 0.2)
    wait_for("four key rows",
             lambda: len([r for r in action_rows(manager) if not r.startswith("Delay")]) == 4)
    press("Stop", within=manager)
    wait_for("the recording stopped",
             lambda: not control("Stop", within=manager).getState().contains(
                 pyatspi.STATE_SENSITIVE))
    shown = action_rows(manager)
    pattern = [r"A Down", r"Delay (\d+) ms", r"A Up", r"Delay (\d+) ms", r"B Down",
               r"Delay (\d+) ms", r"B Up"]
    if len(shown) != len(pattern) or not all(re.fullmatch(p, r) for p, r in zip(pattern, shown)):
        fail("macro_window_keys: the recorded rows are %s" % shown)
    delays = [int(re.fullmatch(r"Delay (\d+) ms", r).group(1)) for r in shown[1::2]]

    press("OK", within=manager)
    wait_for("button 3 showing the macro",
             lambda: control("Button 3").description == "Macro<keys>")
    press("Apply")
    # Button 3 (entry 2): code 17, macro slot 0, 7 actions x 3 bytes = 21. Each key: type 4
    # (+128 pressed), usage (A 4, B 5), 0; each delay: type 6, in 10 ms units (halves to the
    # even neighbour), low byte first.
    slot = []
    for i, (usage, down) in enumerate([(4, True), (4, False), (5, True), (5, False)]):
        slot += [4 + (128 if down else 0), usage, 0]
        if i < 3:
            units, rest = divmod(delays[i], 10)
            if rest > 5 or (rest == 5 and units % 2):
                units += 1
            slot += [6, units & 0xFF, units >> 8]
    wait_for_memory(memory_file, {153: [17, 0, 21, 0], 209: slot}, "the macro in the mouse")
    print("macro_window_keys: recorded %s with delays %s ms; the mouse holds them" %
          (shown, delays))


def _labels(root):
    found = []

    def walk(obj):
        try:
            if obj.getRoleName() == "label":
                found.append(obj)
            for i in range(obj.childCount):
                walk(obj.getChildAtIndex(i))
        except Exception:  # an object that went away meanwhile
            pass
    walk(root)
    return found


if __name__ == "__main__":
    main()
