# SPDX-License-Identifier: GPL-2.0-or-later
"""What the end-to-end scripts share: finding qorcfg51's controls over AT-SPI by name and role,
pressing them as a screen-reader user does, and waiting for the program to catch up."""
import subprocess
import sys
import time

import pyatspi

TIMEOUT = 15.0
BUTTON = ("push button", "toggle button", "check box", "radio button")
MENU_ITEM = ("menu item", "check menu item")
WINDOW = ("frame", "dialog", "window")


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, probe, timeout=TIMEOUT):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        try:
            found = probe()
        except Exception:  # the tree changes while we walk it
            found = None
        if found:
            return found
        time.sleep(0.1)
    fail("timed out waiting for " + what)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == "qorcfg51":
            return app
    return None


def find(root, name, roles):
    """The first showing object below root with this accessible name and one of the roles."""
    def match(obj):
        return (obj is not None and obj.name == name and obj.getRoleName() in roles
                and obj.getState().contains(pyatspi.STATE_SHOWING))
    return pyatspi.findDescendant(root, match)


def control(name, roles=BUTTON, within=None):
    root = within or wait_for("the qorcfg51 application on the accessibility bus", application)
    return wait_for('"%s"' % name, lambda: find(root, name, roles))


def window(title):
    app = wait_for("the qorcfg51 application on the accessibility bus", application)
    return wait_for('the window "%s"' % title,
                    lambda: next((w for w in app if w is not None and w.name == title
                                  and w.getState().contains(pyatspi.STATE_SHOWING)), None))


def act(obj, wanted_actions, label):
    action = obj.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    for wanted in wanted_actions:
        if wanted in names:
            action.doAction(names.index(wanted))
            time.sleep(0.3)
            return obj
    fail('"%s" offers none of %s (%s)' % (label, wanted_actions, names))


def press(name, roles=BUTTON, within=None):
    obj = control(name, roles, within)
    wait_for('"%s" enabled' % name, lambda: obj.getState().contains(pyatspi.STATE_SENSITIVE))
    return act(obj, ("press", "click", "toggle"), name)


def pointer_click(obj, button=1):
    """Moves the real pointer onto the middle of obj and clicks there (X test events through
    xdotool), as a hand on the mouse does."""
    x, y, width, height = obj.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x + width // 2), str(y + height // 2)],
                   check=True)
    time.sleep(0.2)
    subprocess.run(["xdotool", "click", str(button)], check=True)
    time.sleep(0.3)


def type_key(key):
    """Types one key (an X key name such as "Return") into the focused window."""
    subprocess.run(["xdotool", "key", key], check=True)
    time.sleep(0.3)


def choose(*path):
    """Chooses a function menu item by the captions of its levels ("Basic", "Copy")."""
    for caption in path:
        act(control(caption, MENU_ITEM), ("click",), caption)


def checked(obj):
    return obj.getState().contains(pyatspi.STATE_CHECKED)


def enabled(obj):
    return obj.getState().contains(pyatspi.STATE_ENABLED)


def memory_bytes(memory_file):
    with open(memory_file, "rb") as f:
        return f.read()


def wait_for_memory(memory_file, expected, what):
    """Waits until the virtual mouse's memory holds every expected run of bytes."""
    def matches():
        memory = memory_bytes(memory_file)
        return all(list(memory[at:at + len(b)]) == b for at, b in expected.items()) and memory
    try:
        return wait_for(what, matches)
    except SystemExit:
        memory = memory_bytes(memory_file)
        for at, b in expected.items():
            print("at %d expected %s, found %s" % (at, b, list(memory[at:at + len(b)])),
                  file=sys.stderr)
        raise


def open_macro_manager(button):
    """Opens the macro manager from a button's "Macro" menu and returns its window."""
    press("Button Assignment")
    press(button)
    choose("Macro", "Macro Manager")
    return window("Macro Manager")


def new_macro(manager, name):
    """Creates the macro `name` in the macro manager, recording its delays, and selects it."""
    press("New", within=manager)
    create = window("MACRO")
    control("Name", ("text", "entry"), create).queryEditableText().setTextContents(name)
    press("OK", within=create)
    wait_for('the macro "%s" in the list' % name,
             lambda: control(name, ("list item",), manager))
    # A new macro shows its delay flag (off); the pauses are to be recorded.
    record_delays = control("Record delays between action", within=manager)
    if not checked(record_delays):
        press("Record delays between action", within=manager)
        wait_for("delays recorded", lambda: checked(record_delays))


def action_rows(manager):
    """The texts of the macro manager's action rows."""
    actions = control("Macro Action Editor:", ("list",), manager)
    return [actions.getChildAtIndex(i).name for i in range(actions.childCount)]
