"""Opens each settings window of a running qorcfg51 once, over AT-SPI, as a user would by
pressing its button; scripts/measure-startup reads the peak RSS afterwards."""
import sys
import time

import pyatspi

WINDOWS = ("Button Assignment", "Sensitivity", "Advanced Settings", "Lighting")


def find_button(name, timeout=15.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        try:
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.name == "qorcfg51":
                    found = pyatspi.findDescendant(
                        app, lambda o: o is not None and o.name == name
                        and o.getRoleName() == "push button")
                    if found:
                        return found
        except Exception:  # the tree changes while we walk it
            pass
        time.sleep(0.1)
    sys.exit('open_every_window: no button "%s"' % name)


for window in WINDOWS:
    button = find_button(window)
    action = button.queryAction()
    action.doAction(0)
    time.sleep(1.0)
