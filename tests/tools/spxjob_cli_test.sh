#!/usr/bin/env bash
# spxjob's command line: one option syntax for every command, usage on request, errors that name
# the option, the start-up check of the resource bundle, and names printed with control bytes
# escaped.
set -u
bin=$1; rcc=$2; resources=$3
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
failures=0; count=0
check() { count=$((count+1)); if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures+1)); fi; }
esc=$(printf '\033')

# --- one option syntax ------------------------------------------------------------------------
for spelling in "-o=$work/a.spx" "-o $work/b.spx" "-o$work/c.spx" "--output=$work/d.spx" "--output $work/e.spx"; do
  # shellcheck disable=SC2086
  "$bin/spxjob" new $spelling copies=2 2>/dev/null
done
check "-o=X, -o X, -oX, --output=X and --output X all name the job file" \
  '(for f in a b c d e; do [ -s "$work/$f.spx" ] || exit 1; done) && cmp -s "$work/a.spx" "$work/e.spx"'
printf '%%!PS-Adobe-3.0\nshowpage\n' > "$work/file.ps"
"$bin/spxjob" header "$work/a.spx" "$work/file.ps" --file-language=pcl -o="$work/h1" &&
  "$bin/spxjob" header --file-language pcl -o "$work/h2" "$work/a.spx" "$work/file.ps"; rc=$?
check "options may stand before or after the arguments" '[ $rc -eq 0 ] && cmp -s "$work/h1" "$work/h2"'
"$bin/spxjob" show "$work/a.spx" --config="$bin" >/dev/null; rc=$?
check "--config=DIR after the command" '[ $rc -eq 0 ]'

"$bin/spxjob" header "$work/a.spx" "$work/file.ps" --file-language=txt -o "$work/h3" 2>"$work/err"; rc=$?
check "a wrong choice names the option and the choices" '[ $rc -eq 2 ] && grep -qx "spxjob: --file-language: takes one of ps, pcl, pdf, not \"txt\"" "$work/err"'
"$bin/spxjob" new "$work/x.spx" 2>"$work/err"; rc=$?
check "a missing required option is named" '[ $rc -eq 2 ] && grep -qx "spxjob: -o JOBFILE is required" "$work/err"'
"$bin/spxjob" show --verbose "$work/a.spx" 2>"$work/err"; rc=$?
check "an unknown option is named, with the usage" '[ $rc -eq 2 ] && grep -qx "spxjob: unknown option --verbose" "$work/err" && grep -qx "usage: spxjob \[--config DIR\] show JOBFILE" "$work/err"'
"$bin/spxjob" show "$work/a.spx" "$work/b.spx" 2>"$work/err"; rc=$?
check "too many arguments are refused" '[ $rc -eq 2 ] && grep -q "show: too many arguments" "$work/err"'
if "$bin/spxjob" --help | grep -q '^  send '; then
  "$bin/spxjob" send --queue=nowhere --wait=abc "$work/file.ps" 2>"$work/err"; rc=$?
  check "send: junk in --wait is an error, not 0" '[ $rc -eq 2 ] && grep -qx "spxjob: --wait: not a number" "$work/err"'
  "$bin/spxjob" send --queue nowhere --wait=-1 "$work/file.ps" 2>"$work/err"; rc=$?
  check "send: --wait is checked against its range" '[ $rc -eq 2 ] && grep -qx "spxjob: --wait: -1 is out of range (0 to 86400)" "$work/err"'
fi

# --- usage on request -----------------------------------------------------------------------------
out=$("$bin/spxjob" --help); rc=$?
check "spxjob --help lists every command on stdout" '[ $rc -eq 0 ] && (for c in show new set header; do grep -q "^  $c " <<<"$out" || exit 1; done)'
out=$("$bin/spxjob" header --help); rc=$?
check "spxjob COMMAND --help shows its usage and options" '[ $rc -eq 0 ] && grep -qx "usage: spxjob \[--config DIR\] header \[--file-language ps|pcl|pdf\] -o OUT JOBFILE PRINTFILE" <<<"$out" && grep -q -- "-o, --output OUT" <<<"$out"'
check "spxjob help COMMAND is the same" '[ "$("$bin/spxjob" help header)" = "$out" ]'
"$bin/spxjob" 2>"$work/err" >/dev/null; rc=$?
check "no command: the usage on stderr, status 2" '[ $rc -eq 2 ] && grep -q "^usage: spxjob" "$work/err"'

# --- names with control bytes, results in words --------------------------------------------------
name="$work/inc"$'\r'"${esc}[2J"
"$bin/spxjob" set "$work/a.spx" settingsMode=1 customIncludeFile="$name" >/dev/null
"$bin/spxjob" header "$work/a.spx" "$work/file.ps" -o "$work/h4" 2>"$work/err"; rc=$?
check "a name with control bytes is printed escaped" '[ $rc -eq 3 ] && grep -qF "inc\x0d\x1b[2J" "$work/err" && ! grep -q "$esc" "$work/err"'
check "a failed header says why in words" 'grep -q "the include file of the custom options could not be read" "$work/err" && ! grep -q "(result" "$work/err"'
"$bin/spxjob" header "$work/b.spx" "$work/file.ps" -o "$work/no/such/folder/h" 2>"$work/err"; rc=$?
check "an output that cannot be written is said so" '[ $rc -ne 0 ] && grep -q "the header file could not be created or written" "$work/err"'

# --- the resource bundle is checked at start ----------------------------------------------------
# bundle NAME EDIT: a configuration folder whose bundle holds the shipped strings after EDIT (a
# command run in the copy of the strings folder).
bundle() {
  local dir="$work/$1"; mkdir -p "$dir/strings"
  cp "$resources"/strings/*.txt "$dir/strings/"
  (cd "$dir/strings" && eval "$2")
  { echo '<RCC><qresource prefix="/">'
    for f in "$dir"/strings/*.txt; do echo "<file alias=\"strings/$(basename "$f")\">$f</file>"; done
    echo '</qresource></RCC>'; } > "$dir/b.qrc"
  "$rcc" --binary --no-compress -o "$dir/spxlres.rcc" "$dir/b.qrc" || echo "rcc failed"
  cp "$bin/papers.ini" "$bin/spxl.ini" "$bin/itemdisable.txt" "$dir/"
  rm -rf "$dir/strings" "$dir/b.qrc"
}
refusedBy() {   # refusedBy DIR: new refuses to start, writes nothing, says the bundle is damaged
  rm -f "$work/n.spx"; "$bin/spxjob" --config "$work/$1" new -o "$work/n.spx" 2>"$work/err"; local rc=$?
  [ $rc -eq 1 ] && [ ! -e "$work/n.spx" ] && [ "$(head -1 "$work/err")" = "Damaged file: spxlres.rcc" ]
}
bundle sound 'true'
check "the shipped strings pass the check" '"$bin/spxjob" --config "$work/sound" new -o "$work/n.spx" && [ -s "$work/n.spx" ]'
bundle longer "sed -i 's/^1087 .*/1087 \"SPXL-JOB-FILE-AA\"/' core.txt"
check "signatures of unequal length are refused" 'refusedBy longer && grep -q "signatures (strings 1087 and 1088) differ in length" "$work/err"'
bundle empty "sed -i 's/^1087 .*/1087 \"\"/' core.txt"
check "an empty signature is refused" 'refusedBy empty && grep -q "string 1087 (job-file signature A) is empty" "$work/err"'
bundle nocommands "rm commands_ps.txt commands_pcl.txt"
check "a bundle without the command tables is refused" 'refusedBy nocommands && grep -q "command string .* is missing" "$work/err" && grep -q "and [0-9]* more" "$work/err"'
bundle badline "sed -i 's/^2254 .*/2254 \"@PJL SET X = %s\\\\n\"/' commands_pcl.txt"
check "a command line that does not fit its role is refused" 'refusedBy badline && grep -q "PCL command string 2254 (slot 5) does not fit" "$work/err"'
mkdir -p "$work/junk" && cp "$bin/papers.ini" "$bin/spxl.ini" "$bin/itemdisable.txt" "$work/junk/"
head -c 4096 /dev/urandom > "$work/junk/spxlres.rcc"
check "a junk bundle is called damaged, not missing" 'refusedBy junk'
check "a missing bundle is called missing" '! "$bin/spxjob" --config "$work" show "$work/a.spx" 2>"$work/err" && [ "$(cat "$work/err")" = "Missing file: spxlres.rcc" ]'

echo "$(( count - failures )) passed, $failures failed"
[ $failures -eq 0 ]
