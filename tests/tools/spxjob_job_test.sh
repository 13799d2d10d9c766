#!/usr/bin/env bash
# spxjob show/new/set end to end: through the real bundle, catalogue and profile beside the tool.
set -u
bin=$1; data=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
failures=0
check() { if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures+1)); fi; }

out=$("$bin/spxjob" show "$data/jobs/v3.spx" 2>"$work/err")
check "version 3 shows its mapped exit" 'grep -qx "outputExit = 6" <<<"$out"'
check "version 3 shows its mapped covers" 'grep -qx "frontCover = 3" <<<"$out" && grep -qx "backCover = 4" <<<"$out"'
check "version 3 clears the e-mail address" 'grep -qx "emailAddress = \"\"" <<<"$out"'
check "version 3 says it was converted" 'grep -q "older version" "$work/err"'

"$bin/spxjob" new -o "$work/a.spx" copies=3 plexMode=1 paperIndex=8 jobText1040="Größe" >/dev/null
"$bin/spxjob" set "$work/a.spx" copies=5 >/dev/null
out=$("$bin/spxjob" show "$work/a.spx")
check "new and set store through the setters" 'grep -qx "copies = 5" <<<"$out" && grep -qx "plexMode = 1" <<<"$out"'
check "the job paper is named" 'grep -qx "paperName = \"A4 Cover 250\"" <<<"$out"'
check "texts come back in UTF-8" 'grep -qx "jobText1040 = \"Größe\"" <<<"$out"'

"$bin/spxjob" set "$work/a.spx" nosuchfield=1 2>/dev/null; rc=$?
check "an unknown field is refused" '[ $rc -ne 0 ]'
head -c 100 "$data/jobs/v5.spx" > "$work/cut.spx"
"$bin/spxjob" show "$work/cut.spx" >/dev/null 2>"$work/err"; rc=$?
check "a damaged file exits non-zero with the message" '[ $rc -ne 0 ] && grep -q "not a job file" "$work/err"'
mkdir "$work/cfg"
"$bin/spxjob" --config "$work/cfg" show "$data/jobs/v5.spx" >/dev/null 2>"$work/err"; rc=$?
check "a configuration without the bundle is refused" '[ $rc -ne 0 ] && grep -qx "Missing file: spxlres.rcc" "$work/err"'

echo "$(( 10 - failures )) passed, $failures failed"
[ $failures -eq 0 ]
