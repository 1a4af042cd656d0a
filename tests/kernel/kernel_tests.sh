#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The tests that need a real kernel, run as root inside the machine of run-in-vm:
#   kernel_tests.sh STAGE_DIR PLUG_WATCH_PROBE TYPIST EVENT_READER
# qorcfg51-sim --uhid makes the mouse a kernel HID device; qorcfg51-ctl reaches it as the
# user nobody through the real hidraw node and udev, and the memory it leaves is compared
# byte for byte with what the socket simulator gets from the same commands. Each check
# prints "ok" or "FAIL"; the exit status is 1 when one failed.
set -u
stage="$1"
probe="$2"
typist="$3"
reader="$4"
sim="$stage/qorcfg51-sim"
ctl="$stage/qorcfg51-ctl"
results="${QORCFG51_VM_RESULTS:-/tmp}"
work="$(mktemp -d /tmp/kernel-tests.XXXXXX)"
chmod 755 "$work"
failures=0
started="${EPOCHREALTIME/./}"

ok() { echo "ok   $*"; }
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}
# check NAME COMMAND...: the command's status decides.
check() {
  local name="$1"
  shift
  if "$@"; then ok "$name"; else fail "$name"; fi
}

# A fresh home for the user nobody: settings database, runtime folder, socket folder.
fresh_home() {
  home="$work/home-$1"
  mkdir -p "$home/cfg" "$home/rt"
  chmod 700 "$home/rt"
  chown -R nobody:nogroup "$home"
}
# Runs a command as nobody in the current home, with a time limit that only guards a hang;
# in the group $as_group when set.
as_user() {
  local group="${as_group:-nogroup}"
  timeout 120 setpriv --reuid=nobody --regid="$group" --groups="$group" \
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/cfg" \
    XDG_RUNTIME_DIR="$home/rt" QORCFG51_SIM_DIR="$home/rt/sim" "$@"
}

# Starts qorcfg51-sim --uhid with `$@` and waits (guard: 60 s) until udev is done with its
# node; the node in $node, the process in $uhid_pid.
start_uhid() {
  "$sim" --uhid "$@" >>"$work/uhid.log" 2>&1 &
  uhid_pid=$!
  node=""
  for _ in $(seq 600); do
    udevadm settle --timeout=10
    node="$(ls /sys/devices/virtual/misc/uhid/*/hidraw 2>/dev/null | grep hidraw | head -n1)"
    [ -n "$node" ] && [ -e "/dev/$node" ] && break
    kill -0 "$uhid_pid" 2>/dev/null || break
    sleep 0.1
  done
  udevadm settle --timeout=10
  node="${node:+/dev/$node}"
  [ -n "$node" ]
}
stop_uhid() {
  kill "$uhid_pid" 2>/dev/null
  wait "$uhid_pid" 2>/dev/null
  udevadm settle --timeout=10
}
# The socket simulator as nobody, in the current home.
start_socket_sim() {
  as_user "$sim" "$@" >>"$work/socket-sim.log" 2>&1 &
  socket_pid=$!
  for _ in $(seq 600); do
    ls "$home/rt/sim/"*.sock >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
stop_socket_sim() {
  kill "$socket_pid" 2>/dev/null  # timeout hands the signal on
  wait "$socket_pid" 2>/dev/null
}

# The one interface of devices --json, its path left out.
interface_json() {
  python3 -c '
import json, sys
d = json.load(sys.stdin)
i = [x for x in d["interfaces"] if x["mouse"]]
assert len(i) == 1, d
i = i[0]
print(json.dumps({k: i[k] for k in ("hardwareIds", "usagePage", "usage", "inputReportLength",
                                     "outputReportLength", "featureReportLength")}, sort_keys=True))
print(i["path"], i["opens"], file=sys.stderr)'
}

echo "kernel $(uname -r); tests as $(setpriv --reuid=nobody id -un 2>/dev/null || echo nobody)"

# --- Reference: the socket simulator, for the same commands. --------------------------------
fresh_home socket
start_socket_sim --memory-file "$home/memory.bin"
as_user "$ctl" devices --json | interface_json >"$work/socket.json" 2>/dev/null
check "socket simulator: apply --verify" as_user "$ctl" apply --verify
cp "$home/memory.bin" "$work/socket-apply.bin"
check "socket simulator: backup" as_user "$ctl" backup "$home/backup.bin"
stop_socket_sim

# --- The uhid mouse: listing and access. ---------------------------------------------------
fresh_home uhid
rm -f /run/udev/rules.d/70-qorcfg51-*.rules
udevadm control --reload
if start_uhid --memory-file "$work/uhid.bin" --log "$work/uhid-reports.log"; then
  ok "qorcfg51-sim --uhid: $node appeared"
else
  fail "qorcfg51-sim --uhid: no hidraw node appeared"
  cat "$work/uhid.log"
  exit 1
fi
as_user "$ctl" devices --json >"$work/devices.json"
interface_json <"$work/devices.json" >"$work/uhid.json" 2>"$work/uhid-path.txt"
# The socket simulator's IDs less REV_, which a device without a USB parent does not have.
sed 's/"HID\\\\VID_1209&PID_0001&REV_0100", //' "$work/socket.json" >"$work/socket-less-rev.json"
if cmp -s "$work/uhid.json" "$work/socket-less-rev.json"; then
  ok "devices --json: the uhid node with the socket simulator's IDs (less REV_), usage and lengths"
else
  fail "devices --json differs from the socket simulator's:"
  diff "$work/socket-less-rev.json" "$work/uhid.json"
fi
check "devices --json: $node, not opened without access" \
  grep -qx "$node False" "$work/uhid-path.txt"
as_user "$ctl" devices >"$work/devices.txt" 2>&1
check "devices: names the node and the rule that gives access" \
  grep -q "may not open its settings interface $node" "$work/devices.txt"
grep -h 'KERNEL==' "$work/devices.txt" | sed 's/^ *//' >"$work/advised.rule"

# What add-mouse and the advice give, as a group rule (no seat here): does it reach the node?
as_user "$ctl" add-mouse 1209:0001 --config "$home/added.ini" --rules "$home/added.rules" >/dev/null
group_rule() { sed 's/TAG+="uaccess"/GROUP="nogroup", MODE="0660"/' "$1"; }
try_rule() {
  group_rule "$1" >/run/udev/rules.d/70-qorcfg51-test.rules
  udevadm control --reload
  udevadm trigger --action=add --subsystem-match=hidraw
  udevadm settle --timeout=10
  as_user test -r "$node" -a -w "$node"
}
check "add-mouse's rule line (group variant) gives the group access to the uhid node" \
  try_rule "$home/added.rules"

# --- Apply, backup, restore over the real node, byte for byte. -------------------------------
check "uhid: apply --verify" as_user "$ctl" apply --verify
check "uhid: the memory after apply equals the socket simulator's" \
  cmp "$work/uhid.bin" "$work/socket-apply.bin"
check "uhid: backup" as_user "$ctl" backup "$home/backup.bin"
# The backup names its date: the memory it holds is compared through restore.
changed() { as_user "$ctl" set brightness 1 && as_user "$ctl" apply; }
check "uhid: another profile applied" changed
check "uhid: restore --verify" as_user "$ctl" restore "$home/backup.bin" --verify
check "uhid: the memory after restore equals the one backed up" \
  cmp "$work/uhid.bin" "$work/socket-apply.bin"
stop_uhid
check "SIGTERM destroys the device" test -z "$(ls /sys/class/hidraw)"

# --- Faults: the mouse unplugged during apply (an apply takes about 14 exchanges). -----------
fresh_home faults
for n in 1 4 12; do
  rm -f "$work/uhid.bin"
  start_uhid --memory-file "$work/uhid.bin" --unplug-after "$n" || fail "--unplug-after $n: no node"
  as_user "$ctl" apply >"$work/unplug.txt" 2>&1
  status=$?
  if [ "$status" = 4 ] && grep -q "stopped answering" "$work/unplug.txt"; then
    ok "--unplug-after $n: apply exits 4 with its message"
  else
    fail "--unplug-after $n: apply exited $status"
    cat "$work/unplug.txt"
  fi
  stop_uhid
  start_uhid --memory-file "$work/uhid.bin" || fail "--unplug-after $n: no node the second time"
  check "--unplug-after $n: the next apply succeeds on a new device" as_user "$ctl" apply --verify
  check "--unplug-after $n: nothing is lost (memory as the socket simulator's)" \
    cmp "$work/uhid.bin" "$work/socket-apply.bin"
  stop_uhid
done

# --- Hot-plug: the monitor's plug watch through the real udev monitor. ----------------------
fresh_home watch
mkfifo "$work/watch-in"
as_user env QORCFG51_PROGRAM_DIR="$stage" "$probe" <"$work/watch-in" >"$work/watch.txt" 2>&1 &
watch_pid=$!
exec 5>"$work/watch-in"
# Waits (guard: 60 s) until the watch printed line `$1` (counted from 1) and gives it.
watch_line() {
  for _ in $(seq 600); do
    [ "$(wc -l <"$work/watch.txt")" -ge "$1" ] && break
    sleep 0.1
  done
  sed -n "$1p" "$work/watch.txt"
}
check "plug watch: absent at start" test "$(watch_line 1)" = "absent at start"
start_uhid --memory-file "$work/watch.bin"
check "plug watch: the uhid mouse arrives" test "$(watch_line 2)" = "present"
stop_uhid
check "plug watch: the uhid mouse leaves" test "$(watch_line 3)" = "absent"
start_uhid --memory-file "$work/watch.bin"
check "plug watch: the uhid mouse comes back" test "$(watch_line 4)" = "present"
stop_uhid
check "plug watch: the uhid mouse leaves again" test "$(watch_line 5)" = "absent"
exec 5>&-
wait "$watch_pid"

# --- A device answering reads short: a failure, not zeros taken for data. -----------------
start_uhid --memory-file "$work/short.bin" --short-answers 1 || fail "--short-answers: no node"
as_user "$ctl" model >"$work/short.txt" 2>&1
status=$?
if [ "$status" != 0 ] && [ "$status" -lt 100 ] && ! grep -q "MODAL001" "$work/short.txt"; then
  ok "--short-answers 1: model fails (status $status): $(head -n1 "$work/short.txt")"
else
  fail "--short-answers 1: model exited $status"
  cat "$work/short.txt"
fi
stop_uhid

# --- Report descriptors: empty, damaged, 4096 bytes, too long. -----------------------------
# No crash and no hang: the mouse found, or a clear message.
sim_descriptor=06A0FF0901A101150026FF00750885020902960F00B10285030903963F00B1028504090496FF03B1028505090596FF07B1028506090696FF0FB102C0
python3 - "$work" "$sim_descriptor" <<'PY'
import pathlib, sys
work, d = pathlib.Path(sys.argv[1]), bytes.fromhex(sys.argv[2])
(work / "empty.rd").write_bytes(b"")
(work / "damaged.rd").write_bytes(d[:25])  # cut inside a Report Count, no End Collection
pad = 4096 - len(d)  # Push and Pop pairs (one byte each) before the End Collection
(work / "long.rd").write_bytes(d[:-1] + b"\xa4\xb4" * (pad // 2) + d[-1:])
(work / "too-long.rd").write_bytes(d[:-1] + b"\xa4\xb4" * (pad // 2 + 1) + d[-1:])
PY
for kind in empty damaged long too-long; do
  "$sim" --uhid --report-descriptor "$work/$kind.rd" >"$work/rd-sim.txt" 2>&1 &
  rd_pid=$!
  sleep 2
  udevadm settle --timeout=10
  as_user "$ctl" apply --verify >"$work/rd.txt" 2>&1
  status=$?
  if [ "$kind" = long ]; then
    check "descriptor of 4096 bytes: apply --verify (status $status)" test "$status" = 0
  elif [ "$status" -lt 100 ] && grep -q . "$work/rd.txt"; then
    ok "descriptor $kind: apply exits $status: $(tail -n1 "$work/rd.txt")"
  else
    fail "descriptor $kind: apply exited $status"
    cat "$work/rd.txt"
  fi
  kill "$rd_pid" 2>/dev/null
  wait "$rd_pid"
  echo "info descriptor $kind: qorcfg51-sim: $(tail -n1 "$work/rd-sim.txt")"
  udevadm settle --timeout=10
done

# --- Many devices: other HID devices (usage page 0xFF00) around the mouse. ------------------
# 50 at once: what listing them costs (information; TCG is slow), against none.
listed() { as_user "$ctl" devices --json | python3 -c 'import json,sys; print(len(json.load(sys.stdin)["interfaces"]))'; }
t0="${EPOCHREALTIME/./}"
listed >/dev/null
t1="${EPOCHREALTIME/./}"
echo "info qorcfg51-ctl devices with no hidraw node: $(((t1 - t0) / 1000)) ms"
others=()
for n in 16 16 16 2; do
  "$sim" --uhid --usage-page 0xFF00 --interfaces "$n" >>"$work/others.log" 2>&1 &
  others+=($!)
done
for _ in $(seq 600); do
  [ "$(ls /sys/class/hidraw | wc -l)" -ge 50 ] && break
  sleep 0.1
done
udevadm settle --timeout=30
nodes="$(ls /sys/class/hidraw | wc -l)"
t0="${EPOCHREALTIME/./}"
count="$(listed)"
t1="${EPOCHREALTIME/./}"
echo "info qorcfg51-ctl devices with $nodes hidraw nodes: $(((t1 - t0) / 1000)) ms, $count interfaces listed"
check "devices lists all $nodes nodes" test "$count" = "$nodes"
kill "${others[@]}" 2>/dev/null
wait "${others[@]}" 2>/dev/null
udevadm settle --timeout=30

# 20 devices appearing and vanishing during apply: the mouse is still found and written.
start_uhid --memory-file "$work/uhid.bin" || fail "no mouse for the churn test"
(
  for _ in $(seq 5); do
    "$sim" --uhid --usage-page 0xFF00 --interfaces 16 >/dev/null 2>&1 &
    a=$!
    "$sim" --uhid --usage-page 0xFF00 --interfaces 4 >/dev/null 2>&1 &
    b=$!
    sleep 0.5
    kill "$a" "$b"
    wait "$a" "$b"
  done
) &
churn=$!
check "apply --verify while 20 other devices come and go" as_user "$ctl" apply --verify
wait "$churn"
stop_uhid

# --- The input hook: grabbing, passing on and recording keys through evdev and uinput. ------
source "$(dirname "${BASH_SOURCE[0]}")/input_hook_tests.sh"

cp "$work"/*.log "$work/devices.txt" "$results/" 2>/dev/null
elapsed=$(((${EPOCHREALTIME/./} - started) / 100000))
echo "kernel tests: $failures failed, $((elapsed / 10)).$((elapsed % 10)) s"
[ "$failures" = 0 ]
