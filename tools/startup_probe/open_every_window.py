# SPDX-License-Identifier: GPL-2.0-or-later
"""Opens each settings window of a running qorcfg51 once, as a user would by pressing its
button, for scripts/measure-startup. Before each press it prints "pressed_at_ms NAME T" (T on the
monotonic clock) and after each window "peak_after NAME KB" (the program's peak RSS so far,
its process ID in QOR_PROBE_PID).

  open_every_window.py positions FILE   over AT-SPI: writes where the four buttons are in the
                                        main window ("NAME DX DY" lines, after "window W H")
  open_every_window.py click FILE       with xdotool at those places (no accessibility bridge
                                        needed in the program), following the main window's
                                        moves; then prints "idle_cpu_percent_open P" and
                                        "idle_cpu_percent_monitor P" (corvnmon) over 10 s
  open_every_window.py press [--macro]  over AT-SPI; --macro then opens the macro editor from
                                        button 2's "Macro" menu

The AT-SPI helpers are the end-to-end tests' (tests/e2e/atspi_driver.py)."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tests", "e2e"))

WINDOWS = ("Button Assignment", "Sensitivity", "Advanced Settings", "Lighting")
PAUSE = 1.0  # for the window to open and paint


def peak_kb():
    with open("/proc/%s/status" % os.environ["QOR_PROBE_PID"]) as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return -1


def companion_pid():
    """The companion monitor the window started: corvnmon with this run's home."""
    home = ("HOME=" + os.environ.get("HOME", "")).encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/comm" % pid) as comm:
                if comm.read().strip() != "corvnmon":
                    continue
            with open("/proc/%s/environ" % pid, "rb") as environ:
                if home in environ.read().split(b"\0"):
                    return pid
        except OSError:
            continue
    return None


def cpu_ticks(pid):
    with open("/proc/%s/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime


def idle_cpu_percent(pids, seconds):
    """The CPU time of each process over `seconds` of leaving them alone, in percent."""
    before = [cpu_ticks(pid) for pid in pids]
    time.sleep(seconds)
    scale = 100.0 / os.sysconf("SC_CLK_TCK") / seconds
    return [(cpu_ticks(pid) - b) * scale for pid, b in zip(pids, before)]


def stamp(name):
    print("pressed_at_ms %s %.1f" % (name.replace(" ", "_"), time.monotonic() * 1000),
          flush=True)


def settled(name):
    time.sleep(PAUSE)
    print("peak_after %s %d" % (name.replace(" ", "_"), peak_kb()), flush=True)


def positions(path):
    import pyatspi
    from atspi_driver import WINDOW, control, wait_for

    def frame_of(obj):
        while obj is not None and obj.getRoleName() not in WINDOW:
            obj = obj.parent
        return obj

    lines = []
    for name in WINDOWS:
        button = control(name)
        box = button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        frame = wait_for("the main window", lambda: frame_of(button))
        origin = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        if not lines:
            lines.append("window %d %d" % (origin.width, origin.height))
        lines.append("%s %d %d" % (name.replace(" ", "_"), box.x + box.width // 2 - origin.x,
                                   box.y + box.height // 2 - origin.y))
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


def xdotool(*args):
    return subprocess.run(("xdotool",) + args, capture_output=True, text=True).stdout


def main_window_origin(size):
    """The top-left corner of the program's window of this size."""
    for wid in xdotool("search", "--onlyvisible", "--pid", os.environ["QOR_PROBE_PID"]).split():
        geometry = xdotool("getwindowgeometry", "--shell", wid)
        values = dict(line.split("=", 1) for line in geometry.split())
        if (values.get("WIDTH"), values.get("HEIGHT")) == size:
            return int(values["X"]), int(values["Y"])
    sys.exit("open_every_window: no window of %sx%s" % size)


def click(path):
    with open(path) as f:
        lines = [line.split() for line in f if line.strip()]
    size = (lines[0][1], lines[0][2])
    for name, dx, dy in lines[1:]:
        x, y = main_window_origin(size)
        stamp(name)
        xdotool("mousemove", str(x + int(dx)), str(y + int(dy)), "click", "1")
        settled(name)
    time.sleep(2)
    monitor = companion_pid()
    pids = [os.environ["QOR_PROBE_PID"]] + ([monitor] if monitor else [])
    cpu = idle_cpu_percent(pids, 10)
    print("idle_cpu_percent_open %.2f" % cpu[0], flush=True)
    if monitor:
        print("idle_cpu_percent_monitor %.2f" % cpu[1], flush=True)


def press(macro):
    from atspi_driver import choose, press as press_button, window

    for name in WINDOWS:
        stamp(name)
        press_button(name)
        settled(name)
    if macro:
        press_button("Button Assignment")
        press_button("Button 2")
        stamp("Macro Manager")
        choose("Macro", "Macro Manager")
        window("Macro Manager")
        settled("Macro Manager")


if __name__ == "__main__":
    mode = sys.argv[1] if len(sys.argv) > 1 else "press"
    if mode == "positions" and len(sys.argv) == 3:
        positions(sys.argv[2])
    elif mode == "click" and len(sys.argv) == 3:
        click(sys.argv[2])
    elif mode == "press":
        press("--macro" in sys.argv[2:])
    else:
        sys.exit(__doc__)
