# SPDX-License-Identifier: GPL-2.0-or-later
"""The road of a typical change, driven over AT-SPI: on the button assignment window, button 3
gets "Basic" -> "Copy", button 4 a fire key of 5 shots every 30 ms, button 5 the combination
Ctrl+Shift+A captured from the scripted keyboard (ctrl_shift_a.hook); Apply; then the virtual
mouse's button table is compared with bytes computed by hand, and the window's status bar read."""
import os

from atspi_driver import choose, control, enabled, press, wait_for, wait_for_memory, window


def main():
    memory_file = os.environ["QOR_E2E_MEMORY"]

    press("Button Assignment")
    press("Button 3")
    choose("Basic", "Copy")
    wait_for('button 3 showing "Copy"',
             lambda: control("Button 3").description == "Copy")

    press("Button 4")
    choose("Fire Key...")
    fire = window("Fire Settings")
    control("Fire:", ("spin button",), fire).queryValue().currentValue = 5
    control("Delay:", ("spin button",), fire).queryValue().currentValue = 30
    press("OK", within=fire)

    press("Button 5")
    choose("Combo Key")
    combo = window("Combo Keys")
    # OK is enabled once the capture holds a key: the scripted keyboard plays after the
    # dialog's hook starts, and a press before that would find OK disabled.
    wait_for("the combination captured", lambda: enabled(control("OK", within=combo)))
    press("OK", within=combo)
    wait_for("button 5 showing the combination",
             lambda: control("Button 5").description.startswith("<Ctrl+Shi"))

    press("Apply")

    # The button table at 144: the entry count (9 in the factory profile), then 4 bytes per
    # entry in the mouse's order, where entries 3 and 4 trade places:
    #   0 Left Click: code 1; 1 Right Click: code 2;
    #   2 Copy: code 15, modifier bits Ctrl = 1, usage of C = 6, no second key;
    #   3 (entry 4) Ctrl+Shift+A: code 15, Ctrl 1 | Shift 2 = 3, usage of A = 4;
    #   4 (entry 3) fire key: code 18, 5 shots, delay 30 = 0x001E low byte first.
    expected = {
        144: [9],
        145: [1, 0, 0, 0, 2, 0, 0, 0, 15, 1, 6, 0, 15, 3, 4, 0, 18, 5, 30, 0],
    }
    wait_for_memory(memory_file, expected, "the button table in the mouse's memory")
    # The outcome in the window itself, for a screen reader as much as for the eye.
    status = control("Status", ("status bar",))
    wait_for('the status bar saying "Settings applied"',
             lambda: status.description == "Settings applied")
    print("button_road: the mouse holds the hand-computed button table")


if __name__ == "__main__":
    main()
