# SPDX-License-Identifier: GPL-2.0-or-later
# The input hook on the real kernel, sourced by kernel_tests.sh (its ok, fail, check, as_user,
# fresh_home, $ctl and $work): qorcfg51-ctl record grabs a uinput keyboard that types on cue
# (qor-typist), passes its keys on through its own uinput devices and records them with the
# kernel's time stamps; qor-event-reader shows what each device sends meanwhile.
hook_rule="$(dirname "${BASH_SOURCE[0]}")/../../data/udev/70-qorcfg51-input-hook.rules"
typist_name="qor test typist"
out_keyboard="qorcfg51 input hook keyboard"

# "code:value ..." of the key events a reader printed from line $2 on (default: all).
keys_seen() { tail -n "+${2:-1}" "$1" | awk '$1 ~ /^[0-9]+$/ { printf "%s:%s ", $1, $2 }'; }
lines() { wc -l <"$1"; }
# check_keys NAME FILE FROM_LINE EXPECTED: the key events a reader printed from a line on.
check_keys() {
  local seen
  seen="$(keys_seen "$2" "$3")"
  if [ "$seen" = "$4" ]; then ok "$1"; else fail "$1: seen \"$seen\", not \"$4\""; fi
}
# Starts qor-event-reader for the device named $1 into file $2; its process in $reader_pid.
start_reader() {
  "$reader" "$1" >"$2" 2>&1 6>&- &
  reader_pid=$!
  for _ in $(seq 300); do
    grep -q '^open' "$2" && return 0
    sleep 0.1
  done
  return 1
}
# Types the words given (down CODE, up CODE, sleep MS) and waits until the typist is done.
typed=0
type_keys() {
  echo "$* sync" >&6
  typed=$((typed + 1))
  for _ in $(seq 600); do
    [ "$(grep -c '^done' "$work/typist.txt")" -ge "$typed" ] && return 0
    sleep 0.05
  done
  return 1
}
# Starts the recorder as nobody in the group "input" with `$@`, and waits (guard: 60 s) until
# it says it records; the recorder's own process in $rec_pid.
start_recorder() {
  as_group=input as_user "$@" >"$work/rec.txt" 2>"$work/rec.err" 6>&- &
  rec_guard=$!
  for _ in $(seq 600); do
    grep -qE "^(Recording keys|Capturing)" "$work/rec.err" && break
    kill -0 "$rec_guard" 2>/dev/null || return 1
    sleep 0.1
  done
  # The subshell, then timeout, then the recorder (setpriv and env exec it).
  rec_pid="$(pgrep -P "$(pgrep -P "$rec_guard")")"
  [ "$(cat "/proc/$rec_pid/comm" 2>/dev/null)" = qorcfg51-ctl ]
}
outputs_left() { grep -ls '^qorcfg51' /sys/class/input/input*/name; }
# check_released WHEN CODE: once the recorder is gone, so are our uinput devices and the grab
# (the typist's key CODE reaches the second reader).
check_released() {
  udevadm settle --timeout=10
  check "$1 our uinput devices are gone" test -z "$(outputs_left)"
  mark=$(($(lines "$work/typist-keys.txt") + 1))
  type_keys down "$2" up "$2"
  check_keys "$1 the grab is gone (the second reader sees keys)" \
    "$work/typist-keys.txt" "$mark" "$2:1 $2:0 "
}

fresh_home hook
cp "$hook_rule" /run/udev/rules.d/
udevadm control --reload
udevadm trigger --action=add --subsystem-match=misc --subsystem-match=input
udevadm settle --timeout=10
check "input-hook rule: /dev/uinput is the group input's (0660)" \
  test "$(stat -c %G:%a /dev/uinput)" = input:660

mkfifo "$work/typist-in"
"$typist" "$typist_name" <"$work/typist-in" >"$work/typist.txt" 2>&1 &
typist_pid=$!
exec 6>"$work/typist-in"
start_reader "$typist_name" "$work/typist-keys.txt" || fail "the typist's keyboard did not appear"
typist_reader=$reader_pid
udevadm settle --timeout=10
type_keys down 16 up 16
check_keys "the typist's keys reach a reader before any recording" "$work/typist-keys.txt" 1 \
  "16:1 16:0 "

# --- Recording: Q down, 200 ms, Q up, 250 ms, W down, W up, then Y and Z on a German layout.
mark=$(($(lines "$work/typist-keys.txt") + 1))
if start_recorder env XKB_DEFAULT_LAYOUT=de "$ctl" record --seconds 6; then
  start_reader "$out_keyboard" "$work/out-keys.txt"
  out_reader=$reader_pid
  # A pause after every key, since record leaves out delays under a millisecond.
  type_keys down 16 sleep 200 up 16 sleep 250 down 17 sleep 100 up 17 sleep 100 \
    down 21 sleep 100 up 21 sleep 100 down 44 sleep 100 up 44
  wait "$rec_guard"
  check "record exits 0" test "$?" = 0
  check_keys "the grabbed keyboard's second reader sees nothing during the recording" \
    "$work/typist-keys.txt" "$mark" ""
  check_keys "a recording keeps the keys from everyone (nothing on our uinput keyboard)" \
    "$work/out-keys.txt" 1 ""
  sed -n '/^recorded/,$p' "$work/rec.txt" | sed -E 's/delay [0-9]+ ms/delay ms/' >"$work/rec-entries.txt"
  cat >"$work/rec-expected.txt" <<'LIST'
recorded 15 entries:
  key 81 down  Q
  delay ms
  key 81 up  Q
  delay ms
  key 87 down  W
  delay ms
  key 87 up  W
  delay ms
  key 89 down  Z
  delay ms
  key 89 up  Z
  delay ms
  key 90 down  Y
  delay ms
  key 90 up  Y
LIST
  if diff "$work/rec-expected.txt" "$work/rec-entries.txt" >"$work/rec.diff"; then
    ok "record: Q, W, and Y and Z named as a German keyboard prints them (codes by position)"
  else
    fail "record's entries differ:"
    cat "$work/rec.diff" "$work/rec.txt" "$work/rec.err"
  fi
  # shellcheck disable=SC2207  # numbers; no <(...), as the machine has no /dev/fd
  recorded=($(sed -n 's/^  delay \([0-9]*\) ms/\1/p' "$work/rec.txt"))
  least=(200 250 100 100 100 100 100)
  short=""
  for i in "${!least[@]}"; do
    [ "${recorded[$i]:-0}" -ge "${least[$i]}" ] || short+=" ${recorded[$i]:-none}<${least[$i]}"
  done
  check "record: each delay is at least the typist's pause (200, 250, then 100 ms)$short" \
    test -z "$short"
  check_released "after the recording" 30
  kill "$out_reader" 2>/dev/null
else
  fail "record did not start:"
  cat "$work/rec.err"
fi

# --- Capturing a combination: udev's classification of our output devices, the modifiers
# passed on through our keyboard, then kill -9 at a random moment.
if start_recorder "$ctl" record --combo --seconds 60; then
  for f in $(outputs_left); do
    name="$(cat "$f")"
    events=("$(dirname "$f")"/event*)
    event="$(basename "${events[0]}")"
    udevadm trigger --action=change "/sys/class/input/$event"
    udevadm settle --timeout=10
    props="$(udevadm info --query=property "/dev/input/$event")"
    want=ID_INPUT_MOUSE=1
    [ "$name" = "$out_keyboard" ] && want=ID_INPUT_KEYBOARD=1
    if grep -qx "$want" <<<"$props" &&
      ! grep -qE '^ID_INPUT_(JOYSTICK|TABLET|ACCELEROMETER)=' <<<"$props"; then
      ok "udev takes \"$name\" for $want only"
    else
      fail "udev's properties of \"$name\":"
      grep ^ID_INPUT <<<"$props"
    fi
  done
  check "both output devices were there" test "$(outputs_left | wc -l)" = 2
  start_reader "$out_keyboard" "$work/combo-out.txt"
  out_reader=$reader_pid
  mark=$(($(lines "$work/typist-keys.txt") + 1))
  type_keys down 29 down 42 down 16 up 16 up 42 up 29  # Ctrl+Shift+Q
  check_keys "the second reader sees nothing while the combination is captured" \
    "$work/typist-keys.txt" "$mark" ""
  check_keys "Ctrl and Shift are passed on through our uinput keyboard, in order, Q is not" \
    "$work/combo-out.txt" 1 "29:1 42:1 42:0 29:0 "
  kill "$out_reader"
  echo "down 17 sleep 150 up 17" >&6  # killed while this is typed, or just before or after
  killed="0.$((RANDOM % 3))$((RANDOM % 10)) s"
  sleep "${killed% s}"
  kill -9 "$rec_pid"
  wait "$rec_guard"
  type_keys
  check_released "after kill -9 (at $killed)" 31
else
  fail "record did not start for the kill test:"
  cat "$work/rec.err"
fi

# --- A key held while the recording starts: the device is grabbed only once it is let go, so
# the second reader sees the same events, with the kernel's stamps the recorder gets.
type_keys down 30
mark=$(($(lines "$work/typist-keys.txt") + 1))
if start_recorder "$ctl" record --seconds 4; then
  type_keys down 16 sleep 200 up 16 sleep 250 down 17 sleep 100 up 17 up 30 sleep 100 down 18 up 18
  wait "$rec_guard"
  check_keys "a key held at the start: the keyboard is grabbed only after its release" \
    "$work/typist-keys.txt" "$mark" "16:1 16:0 17:1 17:0 30:0 "
  if grep -q "key 69 down  E" "$work/rec.txt"; then
    ok "a key held at the start: the keys after the grab are recorded too"
  else
    fail "a key held at the start: E missing from the recording:"
    cat "$work/rec.txt" "$work/rec.err"
  fi
  # Delay error: the recorded delays against the stamps the second reader saw.
  # shellcheck disable=SC2207
  recorded=($(sed -n 's/^  delay \([0-9]*\) ms/\1/p' "$work/rec.txt"))
  # shellcheck disable=SC2207
  stamps=($(tail -n "+$mark" "$work/typist-keys.txt" | awk '$1 ~ /^[0-9]+$/ { print $3 }'))
  if [ "${#recorded[@]}" -lt 3 ] || [ "${#stamps[@]}" -lt 4 ]; then
    fail "delays: ${#recorded[@]} recorded, ${#stamps[@]} stamps seen"
  else
    errors=""
    worst=0
    for i in 0 1 2; do
      kernel_us=$((stamps[i + 1] - stamps[i]))
      error=$((recorded[i] * 1000 - kernel_us))
      errors+=" ${recorded[$i]} ms for $kernel_us us;"
      [ "${error#-}" -gt "$worst" ] && worst="${error#-}"
    done
    echo "info recorded delays against the kernel's stamps:$errors largest error $worst us"
    check "the recorded delays are the kernel's stamps' (to the millisecond)" test "$worst" -lt 1000
  fi
else
  fail "record did not start with a key held:"
  cat "$work/rec.err"
fi

# --- Without access: the message names the devices and the exact fix. -----------------------
# Not in the group "input"; then in it, but without the rule that gives it /dev/uinput.
denied() {
  as_group="$1" as_user "$ctl" record --seconds 1 >"$work/denied.txt" 2>&1
  local status=$?
  if [ "$status" != 0 ] && grep -qF "$2 can not be found!" "$work/denied.txt" &&
    grep -qF "$3" "$work/denied.txt"; then
    ok "record in the group $1: exits $status naming $2 and the fix"
  else
    fail "record in the group $1 exited $status:"
    cat "$work/denied.txt"
  fi
}
denied nogroup "/dev/input/event*" 'add yourself to the group "input" (sudo usermod -aG input $USER)'
rm /run/udev/rules.d/70-qorcfg51-input-hook.rules
udevadm control --reload
chown root:root /dev/uinput  # as the kernel makes it, which a trigger need not give back
chmod 600 /dev/uinput
denied input /dev/uinput "sudo cp /usr/share/doc/qorcfg51/examples/70-qorcfg51-input-hook.rules"

kill "$typist_reader" 2>/dev/null
exec 6>&-
wait "$typist_pid"
cp "$work/rec.txt" "$work/rec.err" "$results/" 2>/dev/null
