"""Opens each settings window of a running qorcfg51 once, over AT-SPI, as a user would by
pressing its button, and prints "pressed_at_ms NAME T" (T on the monotonic clock) for each;
scripts/measure-startup pairs them with the windows' mapping and reads the peak RSS after."""
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
    names = [action.getName(i).lower() for i in range(action.nActions)]
    press = next((names.index(n) for n in ("press", "click") if n in names), None)
    if press is None:
        sys.exit('open_every_window: "%s" offers no press action (%s)' % (window, names))
    print("pressed_at_ms %s %.1f" % (window.replace(" ", "_"), time.monotonic() * 1000),
          flush=True)
    action.doAction(press)
    time.sleep(1.0)
