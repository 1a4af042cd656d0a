# SPDX-License-Identifier: GPL-2.0-or-later
"""Looks at the AT-SPI tree of atspi_fixture: the dialogs, their controls' names, the menu,
its items and their checked state, and chooses an item with its "click" action."""
import sys
import time

import pyatspi

APP = sys.argv[1]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def find_app():
    deadline = time.time() + 20
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == APP:
                return app
        time.sleep(0.2)
    return None


def children(acc):
    return [acc.getChildAtIndex(i) for i in range(acc.childCount)]


def named(acc, role):
    """The names of the descendants of acc with this role."""
    found = []
    for child in children(acc):
        if child is None:
            continue
        if child.getRoleName() == role:
            found.append(child.name)
        found += named(child, role)
    return found


app = find_app()
if app is None:
    print("the fixture never appeared on the accessibility bus")
    sys.exit(1)
windows = {w.name: w for w in children(app) if w is not None}
for title in ["Fire Settings", "MACRO", "Combo Keys", "Delete", "Warning"]:
    window = windows.get(title)
    check(window is not None, f"no window named {title!r}")
    if window is None:
        continue
    check(window.getRoleName() == "dialog", f"{title!r} is a {window.getRoleName()}")
    buttons = named(window, "push button")
    for caption in ["OK", "CANCEL", "Close"]:
        check(caption in buttons, f"{title!r} has no button {caption!r}: {buttons}")
check("Name" in named(windows.get("MACRO", app), "text"), "no text named 'Name'")
check("INPUT:" in named(windows.get("Combo Keys", app), "text"), "no text named 'INPUT:'")
spins = named(windows.get("Fire Settings", app), "spin button")
check(spins == ["Fire:", "Delay:"], f"fire boxes: {spins}")

menus = [w for w in children(app) if w is not None and w.getRoleName() == "popup menu"]
check(len(menus) == 1, f"{len(menus)} open menus")
if menus:
    items = {i.name: i for i in children(menus[0]) if i.getRoleName() == "menu item"}
    check(list(items) == ["Left Click", "Right Click", "Basic"], f"menu items: {list(items)}")
    checked = [n for n, i in items.items() if i.getState().contains(pyatspi.STATE_CHECKED)]
    check(checked == ["Right Click"], f"checked items: {checked}")
    item = items.get("Left Click")
    if item is not None:
        action = item.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        check(names == ["click"], f"actions: {names}")
        if "click" in names:
            action.doAction(names.index("click"))

print(f"windows: {sorted(w for w in windows if w)}, menus: {len(menus)}")
for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
