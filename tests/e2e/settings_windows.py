# SPDX-License-Identifier: GPL-2.0-or-later
"""Drives qorcfg51 as a screen-reader user would, over AT-SPI: checks the roles the controls are
announced with, switches to profile 2, sets
1000 Hz, moves level 2 X to 1750 CPI, switches level 4 off, picks the red LED colour and
sets the pointer speed and enhanced precision in the sensitivity window and presses Apply; then
reads the virtual mouse's memory and the saved profile file and compares them with bytes
computed by hand."""
import os

from atspi_driver import checked, control, fail, press, wait_for, wait_for_memory


ROLES = ("push button", "check box", "radio button", "slider", "image")


def check_roles(expected):
    """Compares the roles of the named controls with `expected` (name: role)."""
    seen = {name: control(name, ROLES).getRoleName() for name in expected}
    if seen != expected:
        fail("settings_windows: the roles are %s, not %s" % (seen, expected))


def main():
    memory_file = os.environ["QOR_E2E_MEMORY"]

    # Each kind of control with the AT-SPI role a screen reader announces.
    check_roles({"Gaming Mouse Driver": "image", "Apply": "push button"})
    press("Advanced Settings")
    check_roles({"PROFILE 2": "radio button", "1000 Hz": "radio button", "Level 4": "check box",
                 "Level 2 X": "slider", "Export": "push button"})
    press("PROFILE 2")
    wait_for('"PROFILE 2" checked', lambda: checked(control("PROFILE 2")))
    press("1000 Hz")
    wait_for('"1000 Hz" checked', lambda: checked(control("1000 Hz")))

    track = control("Level 2 X", ("slider",))
    value = track.queryValue()
    if (value.minimumValue, value.maximumValue) != (250, 3500):
        fail("Level 2 X runs %s..%s, not 250..3500" % (value.minimumValue, value.maximumValue))
    value.currentValue = 1750
    wait_for("Level 2 Y following X", lambda: control("Level 2 Y", ("slider",)).queryValue().currentValue == 1750)

    level4 = press("Level 4")
    wait_for('"Level 4" off', lambda: not checked(level4))

    press("Lighting")
    check_roles({"Red": "push button", "High": "radio button"})
    press("Red", ("push button",))

    press("Sensitivity")
    speed = control("Pointer speed", ("slider",)).queryValue()
    if (speed.minimumValue, speed.maximumValue) != (0, 10):
        fail("Pointer speed runs %s..%s, not 0..10" % (speed.minimumValue, speed.maximumValue))
    speed.currentValue = 3
    check_roles({"Pointer speed": "slider", "Enhance pointer precision": "check box"})
    precision = press("Enhance pointer precision", ("check box",))
    wait_for('"Enhance pointer precision" checked', lambda: checked(precision))
    press("Apply")

    # Apply pauses 50 ms five times; the closing commands follow the last write.
    expected = {
        69: [0x11],  # 1000 Hz: rate code 1 in both nibbles
        # Level count 4, current level 1 (read from the mouse before the upload), then
        # enabled, X code, Y code per level: 500 CPI -> 2, 1750 -> 7, 1500 -> 6, 2500 -> 10
        # (level 4 off), levels 5 to 10 empty (code 1).
        72: [4, 1, 1, 2, 2, 1, 7, 7, 1, 6, 6, 0, 10, 10] + [0, 1, 1] * 6,
        # Red #B90001: G, B, R each inverted, brightness 3, breathing 1, breathing time 0.
        2177: [0xFF, 0xFE, 0x46, 3, 1, 0],
    }

    memory = wait_for_memory(memory_file, expected, "the upload in the mouse's memory")
    if len(memory) != 2408:
        fail("settings_windows: the memory file holds %d bytes, not 2408" % len(memory))
    # Profile 2's file: PointerSpeed (2 x the track's 3) at 72540, PointerAcceleration at
    # 72542 (the configuration record at 860, the fields at 71680 and 71682 in it).
    profile = os.path.join(os.environ["XDG_DOCUMENTS_DIR"], "Tessaly Gaming Mouse",
                           "QORProfile2.PFX")

    def saved():
        with open(profile, "rb") as f:
            data = f.read()
        return len(data) == 109888 and list(data[72540:72544]) == [6, 0, 1, 0]

    wait_for("pointer speed 6 and enhanced precision in " + profile, saved)
    print("settings_windows: the mouse and the profile file hold the hand-computed bytes")


if __name__ == "__main__":
    main()
