#!/usr/bin/env bash
# spxjob show/new/set end to end: through the real bundle, catalogue and profile beside the tool.
set -u
bin=$1; data=$2
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
failures=0; count=0
check() { count=$((count+1)); if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures+1)); fi; }

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

# Values outside a field's range are refused, naming the field and the range; nothing is written.
refused() {   # refused FIELD=VALUE... : new refuses and writes no file
  rm -f "$work/r.spx"; "$bin/spxjob" new -o "$work/r.spx" "$@" 2>"$work/err"; local rc=$?
  [ $rc -eq 2 ] && [ ! -e "$work/r.spx" ]
}
check "copies=-1 is refused with its range" 'refused copies=-1 && grep -qx "spxjob: copies: -1 is out of range (1 to 99999 for PostScript printers)" "$work/err"'
check "copies beyond 32 bits is refused, not wrapped" 'refused copies=4294967297 && grep -q "copies: 4294967297 is out of range" "$work/err"'
check "a plex mode beyond the list is refused" 'refused plexMode=70000 && grep -qx "spxjob: plexMode: 70000 is out of range (0 to 5)" "$work/err"'
check "PCL printers take at most 65535 copies, in either order" 'refused copies=70000 printerLanguage=1 && refused printerLanguage=1 copies=70000 && grep -q "(1 to 65535 for PCL printers)" "$work/err"'
check "paper choices stay within the catalogue" 'refused statusPaper=999 && grep -q "statusPaper: 999 is out of range (0 to" "$work/err" && refused paperIndex=1'
check "a number with junk is refused, not read as 0" 'refused copies=5x && grep -q "copies: \"5x\" is not a whole number" "$work/err"'
check "a text the field cannot hold is refused, not cut" 'refused customText=$(printf "%0300d" 0) && grep -q "customText: the text is 300 characters long; the field holds 255" "$work/err"'
check "a text outside Windows-1252 is refused, not turned into ?" 'refused jobText1040="Бумага" && grep -q "jobText1040:" "$work/err"'
"$bin/spxjob" new -o "$work/r.spx" printerLanguage=1 copies=65535 pamphletPages=120 proofSetMinutes=60 fromPage=99999 >/dev/null 2>&1
check "the limits themselves are taken" 'out=$("$bin/spxjob" show "$work/r.spx") && grep -qx "copies = 65535" <<<"$out" && grep -qx "pamphletPages = 120" <<<"$out"'
cp "$work/r.spx" "$work/before.spx"
"$bin/spxjob" set "$work/r.spx" collate=0 copies=-1 2>/dev/null; rc=$?
check "set refuses too and leaves the job file as it was" '[ $rc -eq 2 ] && cmp -s "$work/r.spx" "$work/before.spx"'
"$bin/spxjob" set "$work/r.spx" printerLanguage=0 >/dev/null && "$bin/spxjob" set "$work/r.spx" copies=70000 >/dev/null
"$bin/spxjob" set "$work/r.spx" printerLanguage=1 2>"$work/err"; rc=$?
check "a printer change that puts the copies out of range is refused" '[ $rc -eq 2 ] && grep -q "copies: 70000 is out of range (1 to 65535 for PCL printers)" "$work/err"'

echo "$(( count - failures )) passed, $failures failed"
[ $failures -eq 0 ]
