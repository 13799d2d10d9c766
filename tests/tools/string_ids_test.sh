#!/usr/bin/env bash
# Every string id the sources name has one name, and every name is given once: two names for
# one id, or one name defined in two places, drift apart when one of them is changed.
set -u
src=$1
defs=$(grep -rhoE --include='*.h' --include='*.cpp' '\bIds[A-Za-z0-9_]+ = [0-9]+' \
         "$src"/base "$src"/platform "$src"/job "$src"/output "$src"/tools "$src"/pages "$src"/app 2>/dev/null)
failures=0
twice=$(sed -E 's/ = .*//' <<<"$defs" | sort | uniq -d)
if [ -n "$twice" ]; then echo "not ok - names defined more than once: $twice"; failures=1; else echo "ok - every name is defined once"; fi
shared=$(sort -u <<<"$defs" | sed -E 's/.* = //' | sort | uniq -d)
if [ -n "$shared" ]; then
  echo "not ok - ids with more than one name:"; for id in $shared; do grep -E " = $id\$" <<<"$defs" | sort -u; done; failures=1
else
  echo "ok - every id has one name"
fi
[ $failures -eq 0 ]
