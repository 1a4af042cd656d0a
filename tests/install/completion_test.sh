#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Completes qorcfg51-ctl command lines through its bash completion and compares the words
# offered with the commands, options, settings and button functions that the program's own
# --help texts list, so that neither can change without the other.
#   completion_test.sh QORCFG51_CTL COMPLETION_FILE
set -euo pipefail
ctl="$1"
file="$2"

# Stand-ins for the helpers bash-completion provides.
_init_completion() {
  words=("${COMP_WORDS[@]}")
  cword=$COMP_CWORD
  cur=${words[cword]}
  prev=${words[cword - 1]}
}
_filedir() { COMPREPLY=(FILE); }
__ltrim_colon_completions() { :; }
compopt() { :; }
# shellcheck source=/dev/null
source "$file"

# Prints, sorted, what completing the last of `qorcfg51-ctl WORDS...` offers.
offered() {
  COMP_WORDS=(qorcfg51-ctl "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _qorcfg51_ctl
  [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | sort
}

failed=0
check() {
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1 (< --help, > completion)"
    diff <(echo "$2") <(echo "$3") || true
    failed=1
  fi
}

# The commands: the first word of each line of the command list; and the options of usage
# lines without a command (qorcfg51-ctl --version).
commands="$("$ctl" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z-]*\).*/\1/p' | sort)"
[ -n "$commands" ] || { echo "FAIL: no commands in qorcfg51-ctl --help"; exit 1; }
alone="$("$ctl" --help | sed -n 's/^.*qorcfg51-ctl \(--[a-z-]*\)$/\1/p')"
check commands "$(printf '%s\n--help\n%s\n' "$commands" "$alone" | sort)" "$(offered '')"

# Each command's options: those of its usage line, and --help.
for c in $commands; do
  expected="$( ("$ctl" "$c" --help | sed -n 1p | grep -o -- '--[a-z-]*' || true; echo --help) | sort)"
  check "$c options" "$expected" "$(offered "$c" -)"
done

# set: its settings, and the functions a button takes (media:a|b gives media:a and media:b;
# a function with a parameter is offered up to its colon).
help="$("$ctl" set --help)"
check "set settings" "$(sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p' <<<"$help" | sort)" "$(offered set '')"
functions="$(sed -n '/FUNCTION is/,/^$/p' <<<"$help" | tr '\n' ' ' | sed 's/.*FUNCTION is//' |
  tr ',' '\n' | sed 's/^ *//; s/ *$//; /^$/d' | awk '
    /^media:/ { n = split(substr($0, 7), keys, "|"); for (i = 1; i <= n; i++) print "media:" keys[i]; next }
    index($0, ":") { print substr($0, 1, index($0, ":")); next }
    { print }' | sort)"
check "button functions" "$functions" "$(offered set button 1 '')"

[ "$failed" -eq 0 ] && echo "completion: ok"
exit "$failed"
