#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The function menu and the dialogs as assistive technology sees them: under a private
# session bus (run by dbus-run-session), an X server of its own and the accessibility bus,
# atspi_probe.py reads the tree of atspi_fixture and chooses a menu item by its action.
#   atspi_test.sh FIXTURE PROBE
# Exit 77 (skipped) when Xvfb, the accessibility bus or pyatspi is missing.
set -euo pipefail
fixture="$1"
probe="$2"
launcher=/usr/libexec/at-spi-bus-launcher
python=/usr/bin/python3
command -v Xvfb >/dev/null && [ -x "$launcher" ] && "$python" -c "import pyatspi" 2>/dev/null ||
  { echo "skipped: Xvfb, at-spi2-core or python3-pyatspi missing"; exit 77; }

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
"$launcher" --launch-immediately >/dev/null 2>&1 &
pids+=($!)

mkfifo "$work/stdin"
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$fixture" <"$work/stdin" \
  >"$work/out" 2>"$work/err" &
pids+=($!)
exec 4>"$work/stdin"  # the fixture runs while this stays open
for _ in $(seq 200); do grep -q READY "$work/out" && break; sleep 0.05; done

status=0
"$python" "$probe" "$(basename "$fixture")" || status=1
for _ in $(seq 100); do grep -q CHOSEN "$work/out" && break; sleep 0.05; done
if ! grep -qx "CHOSEN 1" "$work/out"; then
  echo "FAIL: the click action chose nothing: $(cat "$work/out")"
  status=1
fi
exec 4>&-
exit "$status"
