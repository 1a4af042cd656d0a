#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs the build tree into a temporary prefix whose name holds a space, and again into a
# DESTDIR staging tree, and runs the installed programs from there: they must find their
# program folder relative to themselves, with nothing outside the prefix.
#   installed_tree_test.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
sim=""
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Runs an installed program as a user with a clean environment and no program folder set
# (a command, not a function, so that a program started in the background is $!).
run_as_user=(env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/home/config"
  XDG_DOCUMENTS_DIR="$work/home/docs" XDG_RUNTIME_DIR="$work/run"
  QORCFG51_SIM_DIR="$work/run/sim" QT_QPA_PLATFORM=offscreen)
mkdir -p "$work/home" "$work/run/sim"
chmod 700 "$work/run"

# Everything the installation must hold, relative to the prefix.
expected=(
  bin/qorcfg51 bin/qorcfg51-ctl bin/qorcfg51-sim bin/qorcfg51-lang bin/corvnmon
  share/qorcfg51/config.ini share/qorcfg51/ui.local share/qorcfg51/images/logo.ico
  share/qorcfg51/images/LAYOUT1.PNG lib/udev/rules.d/70-qorcfg51.rules
  share/applications/io.github.qorcfg51.desktop share/metainfo/io.github.qorcfg51.metainfo.xml
  share/icons/hicolor/scalable/apps/io.github.qorcfg51.svg
  share/icons/hicolor/16x16/apps/io.github.qorcfg51.png
  share/icons/hicolor/512x512/apps/io.github.qorcfg51.png
  etc/xdg/autostart/io.github.qorcfg51.corvnmon.desktop
  share/bash-completion/completions/qorcfg51-ctl
  share/dbus-1/interfaces/io.github.qorcfg51.Mouse1.xml
)

check_tree() {
  local prefix="$1"
  for f in "${expected[@]}"; do
    [ -e "$prefix/$f" ] || fail "$f missing under $prefix"
  done
  # The virtual mouse's ID is a shared test ID that any hobby device may carry: the program
  # folder keeps it for qorcfg51-sim, but the rule and the metainfo name no device for it.
  local rules="$prefix/lib/udev/rules.d/70-qorcfg51.rules"
  if grep -q '^[^#]' "$rules"; then fail "70-qorcfg51.rules names a device: $(grep '^[^#]' "$rules")"; fi
  grep -q "qorcfg51-ctl add-mouse" "$rules" || fail "70-qorcfg51.rules does not say how to add a mouse"
  if grep -q "<modalias>" "$prefix/share/metainfo/io.github.qorcfg51.metainfo.xml"; then
    fail "the metainfo names a device"
  fi
  grep -q '^id1=HID\\VID_' "$prefix/share/qorcfg51/config.ini" ||
    fail "the program folder's config.ini lost the virtual mouse"
}

# Starts the installed virtual mouse and waits for its socket.
start_sim() {
  "${run_as_user[@]}" "$1/bin/qorcfg51-sim" >"$work/sim.out" 2>&1 &
  sim=$!
  for _ in $(seq 100); do
    compgen -G "$work/run/sim/*.sock" >/dev/null && return 0
    sleep 0.05
  done
  fail "the installed qorcfg51-sim did not start: $(cat "$work/sim.out")"
}

stop_sim() {
  kill "$sim" && wait "$sim" 2>/dev/null || true
  sim=""
}

# The installed tools work from `prefix` without being told where their files are.
check_programs() {
  local prefix="$1"
  "${run_as_user[@]}" "$prefix/bin/qorcfg51-ctl" --help | grep -q "^  show" ||
    fail "qorcfg51-ctl --help from $prefix"
  "${run_as_user[@]}" "$prefix/bin/qorcfg51-ctl" show | grep -qx "# profile 1" ||
    fail "qorcfg51-ctl show from $prefix"
  start_sim "$prefix"
  "${run_as_user[@]}" "$prefix/bin/qorcfg51-ctl" devices >"$work/devices.out" 2>&1 ||
    fail "qorcfg51-ctl devices from $prefix: $(cat "$work/devices.out")"
  grep -q "the mouse: *yes" "$work/devices.out" ||
    fail "the installed qorcfg51-sim was not found from $prefix: $(cat "$work/devices.out")"
  # The model's picture comes from the installed config.ini and lies in the installed folder.
  "${run_as_user[@]}" "$prefix/bin/qorcfg51-ctl" model >"$work/model.out" 2>&1 ||
    fail "qorcfg51-ctl model from $prefix: $(cat "$work/model.out")"
  grep -qxF "picture: $prefix/share/qorcfg51/images/LAYOUT1.PNG" "$work/model.out" ||
    fail "the program folder was not found from $prefix: $(cat "$work/model.out")"
  stop_sim
}

# 1. A prefix with a space in its name.
prefix="$work/opt dir/qor cfg"
cmake --install "$build" --prefix "$prefix" >/dev/null
check_tree "$prefix"
check_programs "$prefix"

# 2. A DESTDIR staging tree: every file lands below DESTDIR + the configured prefix.
configured="$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")"
stage="$work/dest dir"
DESTDIR="$stage" cmake --install "$build" >/dev/null
outside="$(find "$stage" -type f -not -path "$stage$configured/*")"
[ -z "$outside" ] || fail "installed outside the prefix: $outside"
check_tree "$stage$configured"
check_programs "$stage$configured"

# 3. A damaged installation: the window still starts and names what is missing.
rm -rf "$prefix/share/qorcfg51/ui.local" "$prefix/share/qorcfg51/images"
set +e
"${run_as_user[@]}" timeout 5 "$prefix/bin/qorcfg51" >"$work/gui.out" 2>&1
status=$?
set -e
[ "$status" -eq 124 ] || fail "qorcfg51 without ui.local and images/ ended with $status: $(cat "$work/gui.out")"
grep -q "ui.local" "$work/gui.out" || fail "qorcfg51 did not name the missing ui.local: $(cat "$work/gui.out")"
grep -q "images" "$work/gui.out" || fail "qorcfg51 did not name the missing images/: $(cat "$work/gui.out")"

# 4. No HOME (the folders it would default to are given): the tool runs all the same; where
# the home folder then comes from is a unit test of the paths.
env -i PATH=/usr/bin:/bin XDG_CONFIG_HOME="$work/home/config" XDG_DOCUMENTS_DIR="$work/home/docs" \
  "$prefix/bin/qorcfg51-ctl" show >/dev/null || fail "qorcfg51-ctl show without HOME"
echo "installed tree: ok"
