# SPDX-License-Identifier: GPL-2.0-or-later
"""The macro manager, driven over AT-SPI from button 2's "Macro" menu: a new macro "e2e" is
recorded from the scripted keyboard (macro_a_b.hook: A down, 120 ms, A up, 80 ms, B down, B
up), its first delay edited to 300 ms, both context menus used with the real pointer (Rename;
Down and Up again), and OK writes its file and gives it to button 2; Apply
sends it to the mouse. The file and the mouse's macro slot 0 are compared with bytes computed
by hand."""
import glob
import os
import struct

import pyatspi

from atspi_driver import (MENU_ITEM, act, action_rows, checked, control, enabled, fail,
                          new_macro, open_macro_manager, pointer_click, press, type_key,
                          wait_for, wait_for_memory)

ROWS = ["A Down", "Delay 120 ms", "A Up", "Delay 80 ms", "B Down", "B Up"]


def wait_for_rows(manager, expected, what):
    seen = []

    def probe():
        seen[:] = action_rows(manager)
        return seen == expected
    try:
        wait_for(what, probe)
    except SystemExit:
        fail("the action list shows %s, not %s" % (seen, expected))


def expected_macro_file():
    """The 892-byte record: six 6-byte actions (type, state as 16-bit; value 1, value 2),
    zero slots up to 768, then count, delay flag, loop count, index, use, padding, the name
    in UTF-16 (50 units), version (0 for a macro made in the manager), error flag and count."""
    actions = [(4, 1, 0x41, 0), (6, 0, 0x2C, 0x01), (4, 0, 0x41, 0), (6, 0, 80, 0),
               (4, 1, 0x42, 0), (4, 0, 0x42, 0)]
    data = b"".join(struct.pack("<HHBB", *a) for a in actions)
    data += bytes(768 - len(data))
    data += struct.pack("<iHHHBB", 6, 1, 0, 0, 0, 0)
    data += "e2e".encode("utf-16-le") + bytes(100 - 6)
    data += struct.pack("<Iii", 0, 0, 0)
    return data


def main():
    memory_file = os.environ["QOR_E2E_MEMORY"]

    manager = open_macro_manager("Button 2")
    new_macro(manager, "e2e")
    roles = {name: control(name, within=manager).getRoleName()
             for name in ("Start", "Stop", "Record delays between action")}
    if roles != {"Start": "push button", "Stop": "push button",
                 "Record delays between action": "check box"}:
        fail("macro_manager: the recording switches are %s" % roles)
    start = press("Start", within=manager)
    wait_for('"Start" on', lambda: checked(start) and
             start.getState().contains(pyatspi.STATE_PRESSED))
    wait_for_rows(manager, ROWS, "the six live rows")
    press("Stop", within=manager)
    wait_for("the recorded rows", lambda: action_rows(manager) == ROWS and
             not control("Stop", within=manager).getState().contains(pyatspi.STATE_SENSITIVE))

    act(control("Delay 120 ms", ("list item",), manager), ("activate",), "Delay 120 ms")
    delay = control("Delay", ("spin button",), manager)
    delay.queryValue().currentValue = 300
    act(delay, ("activate",), "Delay")
    wait_for("the edited delay", lambda: action_rows(manager)[1] == "Delay 300 ms")
    edited = ["A Down", "Delay 300 ms"] + ROWS[2:]

    # The context menus lie above the modal manager and take the pointer: right-click a row,
    # click an item.
    pointer_click(control("e2e", ("list item",), manager), button=3)
    pointer_click(control("Rename", MENU_ITEM))
    name_box = control("Macro Name", ("text", "entry"), manager)
    wait_for("the name box open for renaming", lambda: enabled(name_box))
    type_key("Return")  # the name stays
    wait_for("renaming done", lambda: not enabled(name_box))
    for row, item, rows in ((2, "Down", edited[:2] + [edited[3], edited[2]] + edited[4:]),
                            (3, "Up", edited)):
        pointer_click(control(action_rows(manager)[row], ("list item",), manager), button=3)
        pointer_click(control(item, MENU_ITEM))
        wait_for_rows(manager, rows, '"%s" on row %d by the pointer' % (item, row))

    press("OK", within=manager)
    wait_for("button 2 showing the macro",
             lambda: control("Button 2").description == "Macro<e2e>")

    files = glob.glob(os.path.join(os.environ["HOME"], "**", "e2e.macro"), recursive=True)
    if len(files) != 1:
        fail("macro_manager: expected one e2e.macro, found %s" % files)
    with open(files[0], "rb") as f:
        written = f.read()
    if written != expected_macro_file():
        fail("macro_manager: %s differs from the hand-computed record:\n%s\n%s"
             % (files[0], written.hex(), expected_macro_file().hex()))

    press("Apply")
    # Button 2 (entry 1): code 17, macro slot 0, length 6 actions x 3 bytes = 18.
    # Slot 0 at 209, 3 bytes an action: type + 128 x state, then the key's usage (A 4, B 5)
    # and its extended flag, or the delay in 10 ms units (300 -> 30, 80 -> 8) low byte first.
    expected = {
        149: [17, 0, 18, 0],
        209: [132, 4, 0, 6, 30, 0, 4, 4, 0, 6, 8, 0, 132, 5, 0, 4, 5, 0, 0, 0, 0],
    }
    wait_for_memory(memory_file, expected, "the macro in the mouse's memory")
    print("macro_manager: the file and the mouse hold the hand-computed macro")


if __name__ == "__main__":
    main()
