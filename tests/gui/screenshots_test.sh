#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The README's and the metainfo's pictures show what the windows draw now:
#   screenshots_test.sh SOURCE_DIR STAGE_DIR COMPARE
# draws them with scripts/render-screenshots into a temporary folder and compares each with
# its picture in data/screenshots/ (COMPARE: qor-png-compare, which allows for anti-aliasing).
set -euo pipefail
source_dir="$1" stage="$2" compare="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
QOR_STAGE_DIR="$stage" "$source_dir/scripts/render-screenshots" "$work/shots" >/dev/null \
  2>"$work/render.log" || { cat "$work/render.log" >&2; exit 1; }

status=0
cd "$source_dir/data/screenshots"
for shot in *.png; do
  [ -f "$work/shots/$shot" ] || { echo "$shot is no longer drawn" >&2; status=1; continue; }
  "$compare" "$shot" "$work/shots/$shot" || status=1
done
for shot in "$work"/shots/*.png; do
  [ -f "$(basename "$shot")" ] || { echo "$(basename "$shot") is drawn but not kept" >&2; status=1; }
done
[ "$status" -eq 0 ] ||
  echo "data/screenshots/ is stale: run scripts/render-screenshots and commit the pictures" >&2
exit "$status"
