#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Checks the documents that qorcfg51-ctl export --format json writes against the JSON Schema
# shipped beside the program, with Debian's python3-jsonschema, and that the schema refuses
# documents the program refuses.
#   profile_schema_test.sh QORCFG51_CTL SCHEMA
set -euo pipefail
ctl="$1"
schema="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DOCUMENTS_DIR="$work/docs" \
  XDG_RUNTIME_DIR="$work" QORCFG51_SYSCONF_DIR="$work/etc"
mkdir -p "$work/out"

run() { "$ctl" "$@" >/dev/null; }

# Profiles with every kind of member: the factory one, set's settings, functions and macros.
run export --format json "$work/out/factory.json"
run set rate 1000
run set cpi 2 1600 1200
run set cpi-enabled 3 off
run set wheel-lines page
run set button 4 fire:3:120
run set button 4 combo:ctrl+c
run set button 2 media:mute
cat >"$work/macros.json" <<'JSON'
{"format": "qorcfg51-profile", "version": 1,
 "macros": [{"name": "Open door", "repeat": 2, "delaysShown": true,
             "actions": [{"press": "a"}, {"delay": 120}, {"release": "a"}, {"raw": [1, 1, 1, 0]}]}],
 "buttons": [{}, {}, {}, {}, {"function": "macro:Open door"}]}
JSON
run export --format json "$work/out/settings.json"
run import "$work/macros.json"
run export --format json "$work/out/macros.json"

# Documents the program refuses, which the schema refuses too.
mkdir -p "$work/bad"
bad() { printf '{"format":"qorcfg51-profile","version":1,%s}' "$2" >"$work/bad/$1.json"; }
bad unknown_member '"colour":"red"'
bad rate '"reportRate":333'
bad led '"led":{"r":256}'
bad wheel '"pointer":{"wheelLines":"pages"}'
bad action '"macros":[{"actions":[{"press":"a","delay":5}]}]'
bad extra '"extra":{"0100":"00"}'
actions=$(printf '{"delay":5},%.0s' $(seq 200))
bad many_actions "\"macros\":[{\"actions\":[${actions%,}]}]"
for f in "$work"/bad/*.json; do
  if "$ctl" import "$f" >/dev/null 2>&1; then
    echo "FAIL: the program took $(basename "$f")"
    exit 1
  fi
done

/usr/bin/python3 - "$schema" "$work/out" "$work/bad" <<'PY'
import json, pathlib, sys
import jsonschema

schema = json.loads(pathlib.Path(sys.argv[1]).read_text())
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
failed = 0
for path in sorted(pathlib.Path(sys.argv[2]).glob("*.json")):
    errors = list(validator.iter_errors(json.loads(path.read_text())))
    for e in errors:
        print(f"FAIL: {path.name}: {e.json_path}: {e.message}")
    failed += bool(errors)
    print(f"{'ok' if not errors else 'FAIL'}: exported {path.name} fits the schema")
for path in sorted(pathlib.Path(sys.argv[3]).glob("*.json")):
    refused = not validator.is_valid(json.loads(path.read_text()))
    failed += not refused
    print(f"{'ok' if refused else 'FAIL'}: the schema refuses {path.name}")
sys.exit(1 if failed else 0)
PY
