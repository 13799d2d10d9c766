#!/usr/bin/env bash
# The installed program: `cmake --install` into a temporary prefix puts every file where the
# desktop and the program look for it, and the programs run from there and find their files
# (the data folder beside the prefix, $SPXL_CONFIG_DIR, --config).
# Usage: install_test.sh BUILD_DIR TEST_DATA_DIR WITH_GUI(0|1)
set -u
build=$1; data=$2; gui=$3
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0; checks=0
check() { checks=$((checks+1)); if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures+1)); fi; }

if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"; exit 1
fi
echo "installed $(find "$prefix" -type f | wc -l) files, $(du -sk "$prefix" | cut -f1) KiB"

files=(bin/spxjob
       share/spxl/spxlres.rcc share/spxl/spxl-help.html
       share/spxl/spxl.ini share/spxl/papers.ini share/spxl/itemdisable.txt
       share/applications/spxl.desktop share/mime/packages/spxl.xml
       share/icons/hicolor/scalable/apps/spxl.svg share/icons/hicolor/48x48/apps/spxl.png
       share/man/man1/spxjob.1.gz share/man/man1/spxl.1.gz)
programs="spxjob"
if [ "$gui" = 1 ]; then files+=(bin/spxl); programs="spxjob spxl"; fi
for f in "${files[@]}"; do check "installs $f" "[ -s '$prefix/$f' ]"; done
check "only the programs go to bin (no tests, no benchmarks)" \
  '[ "$(ls "$prefix/bin" | sort | xargs)" = "$(xargs -n1 <<<"$programs" | sort | xargs)" ]'
check "the desktop entry opens job files" \
  'grep -qx "MimeType=application/x-spxl-job;" "$prefix/share/applications/spxl.desktop" && grep -q "^Exec=spxl %F$" "$prefix/share/applications/spxl.desktop"'
check "the 48 px icon is 48 x 48" \
  '[ "$(od -An -tu1 -j16 -N8 "$prefix/share/icons/hicolor/48x48/apps/spxl.png" | xargs)" = "0 0 0 48 0 0 0 48" ]'
check "the manual page of spxjob reads" 'zcat "$prefix/share/man/man1/spxjob.1.gz" | grep -q "^\.TH SPXJOB 1"'

# The programs run from the prefix, from another folder, with nothing of the build around.
unset SPXL_CONFIG_DIR
cd /
if [ -d /etc/spxl ]; then
  echo "note: /etc/spxl exists here and is the configuration folder of the installed program"
fi
out=$("$prefix/bin/spxjob" show "$data/jobs/v5.spx" 2>"$work/err")
check "installed spxjob reads a job file" 'grep -q "^copies = " <<<"$out"'
if [ ! -d /etc/spxl ]; then
  "$prefix/bin/spxjob" new -o "$work/plain.spx" paperIndex=2 >/dev/null 2>"$work/err"
  check "installed spxjob writes a job with the installed catalogue" \
    '"$prefix/bin/spxjob" show "$work/plain.spx" | grep -qx "paperName = \"A4 Plain 80\""'
fi

# $SPXL_CONFIG_DIR: the administrator's files come from there, the bundle stays in the prefix.
mkdir "$work/site"
cp "$prefix/share/spxl/"{spxl.ini,papers.ini,itemdisable.txt} "$work/site/"
sed -i 's/^PaperDef1=A4 Plain 80,/PaperDef1=Site Paper 80,/' "$work/site/papers.ini"
SPXL_CONFIG_DIR=$work/site "$prefix/bin/spxjob" new -o "$work/site.spx" paperIndex=2 >/dev/null 2>"$work/err"
check "SPXL_CONFIG_DIR gives the paper catalogue" \
  'SPXL_CONFIG_DIR=$work/site "$prefix/bin/spxjob" show "$work/site.spx" | grep -qx "paperName = \"Site Paper 80\""'
mkdir "$work/empty"
SPXL_CONFIG_DIR=$work/empty "$prefix/bin/spxjob" new -o "$work/none.spx" >/dev/null 2>"$work/err"; rc=$?
check "a configuration folder without a catalogue is refused, naming the file" \
  '[ $rc -ne 0 ] && grep -q "papers.ini" "$work/err" && [ ! -e "$work/none.spx" ]'

# --config holds every file and overrides the variable.
mkdir "$work/trial"
cp "$work/site/"* "$prefix/share/spxl/spxlres.rcc" "$work/trial/"
sed -i 's/^PaperDef1=Site Paper 80,/PaperDef1=Trial Paper 80,/' "$work/trial/papers.ini"
SPXL_CONFIG_DIR=$work/site "$prefix/bin/spxjob" --config "$work/trial" new -o "$work/trial.spx" paperIndex=2 >/dev/null 2>"$work/err"
check "--config overrides SPXL_CONFIG_DIR" \
  '"$prefix/bin/spxjob" --config "$work/trial" show "$work/trial.spx" | grep -qx "paperName = \"Trial Paper 80\""'

# The installation can move: the data folder is found from the executable's folder.
mv "$prefix" "$work/moved"
check "a moved installation still finds its files" '"$work/moved/bin/spxjob" show "$data/jobs/v5.spx" >/dev/null 2>&1'
mv "$work/moved" "$prefix"

if [ "$gui" = 1 ]; then
  QT_QPA_PLATFORM=offscreen HOME=$work/home timeout 120 "$prefix/bin/spxl" --screenshots "$work/shots" >"$work/shots.log" 2>&1; rc=$?
  check "installed spxl starts offscreen and writes the seven tabs" \
    '[ $rc -eq 0 ] && [ "$(ls "$work/shots"/tab*.png 2>/dev/null | wc -l)" -eq 7 ]'
  [ $rc -eq 0 ] || cat "$work/shots.log"
fi

echo "$(( checks - failures )) passed, $failures failed"
[ $failures -eq 0 ]
