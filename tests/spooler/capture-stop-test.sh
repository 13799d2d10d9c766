#!/usr/bin/env bash
# Stopping the capture printer removes what its start made and nothing else.
#   capture-stop-test.sh CAPTURE_SCRIPT WORK_FOLDER
set -euo pipefail
script=$1
work=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/shared"
trap 'bash "$script" stop "$work/shared" >/dev/null 2>&1 || true; bash "$script" stop "$work/fresh" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

# A folder that already holds a file of its own keeps it, and only it.
echo "not the spooler's" >"$work/shared/notes.txt"
bash "$script" start "$work/shared" >/dev/null
bash "$script" stop "$work/shared"
[ -f "$work/shared/notes.txt" ] || fail "stop removed a file it did not make"
left=$(ls -A "$work/shared")
[ "$left" = "notes.txt" ] || fail "stop left: $left"

# A folder that start made goes as a whole.
bash "$script" start "$work/fresh" >/dev/null
bash "$script" stop "$work/fresh"
[ ! -e "$work/fresh" ] || fail "stop left the folder: $(ls -A "$work/fresh")"

# Keeping the captures keeps the folder with them.
bash "$script" start "$work/fresh" >/dev/null
touch "$work/fresh/captures/0001.prn"
bash "$script" stop "$work/fresh" --keep-captures
[ -f "$work/fresh/captures/0001.prn" ] || fail "the captures went"
[ "$(ls -A "$work/fresh")" = "captures" ] || fail "stop --keep-captures left: $(ls -A "$work/fresh")"
echo "ok"
