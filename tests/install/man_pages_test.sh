#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Renders each manual page with man -l (any warning fails) and compares the options it
# describes with those the program's --help lists; for qorcfg51-ctl also the commands. Each
# program tells its version as "NAME VERSION".
#   man_pages_test.sh PROGRAM_DIR PAGE_DIR SOURCE_DIR NAME...
set -euo pipefail
programs="$1"
pages="$2"
sources="$3"
shift 3

failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

# The options named in a text: -x or --word, after a space, bracket, comma or line start.
# --help and -h are left out: every program takes them, and the help runs through them.
options() {
  grep -oE '(^|[][ (,|*])--?[a-z][a-z-]*' | sed -E 's/^[][ (,|*]//' |
    grep -vxE -- '--help|-h' | sort -u || true
}

for name in "$@"; do
  page="$pages/$name.1.gz"
  [ -f "$page" ] || { fail "$page missing"; continue; }
  warnings="$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$name(1) renders with warnings: $warnings"

  help="$(QT_QPA_PLATFORM=offscreen "$programs/$name" --help)" || fail "$name --help failed"
  version="$(QT_QPA_PLATFORM=offscreen "$programs/$name" --version)" || fail "$name --version failed"
  [[ $version =~ ^$name\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "$name --version printed \"$version\""
  source="$(cat "$sources/$name.1.scd")"
  from_help="$(options <<<"$help")"
  from_page="$(sed 's/\*//g; s/_//g' <<<"$source" | options)"
  if [ "$from_help" != "$from_page" ]; then
    fail "$name: the options differ (< --help, > manual page)"
    diff <(echo "$from_help") <(echo "$from_page") || true
  fi
done

# qorcfg51-ctl's commands: its command list against the manual's COMMANDS section.
if [[ " $* " == *" qorcfg51-ctl "* ]]; then
  from_help="$("$programs/qorcfg51-ctl" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z-]*\).*/\1/p' | sort)"
  from_page="$(sed -n '/^# COMMANDS/,/^# /s/^\*\([a-z-]*\)\*.*/\1/p' "$sources/qorcfg51-ctl.1.scd" | sort)"
  if [ "$from_help" != "$from_page" ]; then
    fail "qorcfg51-ctl: the commands differ (< --help, > manual page)"
    diff <(echo "$from_help") <(echo "$from_page") || true
  fi
fi

[ "$failed" -eq 0 ] && echo "manual pages: ok"
exit "$failed"
