#!/usr/bin/env bash
# spxjob header end to end: a job file and a print file give the staging file a send would write.
set -u
bin=$1
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
failures=0; count=0
check() { count=$((count+1)); if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures+1)); fi; }

printf '%%!PS-Adobe-3.0\nshowpage\n' > "$work/file.ps"
"$bin/spxjob" new -o "$work/ps.spx" copies=2 plexMode=1 >/dev/null
"$bin/spxjob" header "$work/ps.spx" "$work/file.ps" -o "$work/ps.hdr"; rc=$?
check "a PostScript job gives a header" '[ $rc -eq 0 ] && head -1 "$work/ps.hdr" | grep -qx "%!PS-Adobe-3.0"'
check "the header names the print file and the copies" 'grep -qx "%%Title: (file.ps)" "$work/ps.hdr" && grep -q "/NumCopies 2" "$work/ps.hdr"'
if command -v gs >/dev/null; then
  cat "$work/ps.hdr" "$work/file.ps" > "$work/all.ps"
  check "a PostScript interpreter takes header and file" 'gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=nullpage "$work/all.ps" >/dev/null 2>&1'
fi

"$bin/spxjob" set "$work/ps.spx" printerLanguage=1 outputExit=1 >/dev/null
"$bin/spxjob" header "$work/ps.spx" "$work/file.pcl" --file-language pcl -o "$work/pcl.hdr"; rc=$?
check "a PCL job opens with the universal exit language" '[ $rc -eq 0 ] && head -c 14 "$work/pcl.hdr" | grep -q "%-12345X@PJL"'
check "every further line is PJL" '[ -z "$(tail -n +2 "$work/pcl.hdr" | grep -v "^@PJL")" ]'
check "a PCL file is entered last" '[ "$(tail -1 "$work/pcl.hdr")" = "@PJL ENTER LANGUAGE = PCL" ]'
"$bin/spxjob" header "$work/ps.spx" "$work/f.pdf" --file-language pdf -o "$work/pdf.hdr"
check "a PDF file goes to a PCL printer as PostScript" 'grep -qx "@PJL COMMENT DATA = POSTSCRIPT" "$work/pdf.hdr"'

# The shipped item-disabling rules give the PCL model no folder: its header asks for no folding.
"$bin/spxjob" set "$work/ps.spx" foldMode=1 >/dev/null
"$bin/spxjob" header "$work/ps.spx" "$work/file.pcl" --file-language pcl -o "$work/nofold.hdr"
check "the item-disabling rules reach the header" '! grep -q "@PJL SET FOLD" "$work/nofold.hdr"'
mkdir "$work/config" && cp "$bin"/spxlres.rcc "$bin"/papers.ini "$bin"/spxl.ini "$work/config/"
printf 'WPrinterID=IDS_PRINTER_OTHER\nColour=1\n' > "$work/config/itemdisable.txt"
"$bin/spxjob" --config "$work/config" header "$work/ps.spx" "$work/file.pcl" -o "$work/broken.hdr" 2>"$work/err"; rc=$?
check "a broken rules file stops the header and names its line" '[ $rc -eq 1 ] && grep -q "line 2: unknown key Colour" "$work/err"'

"$bin/spxjob" set "$work/ps.spx" settingsMode=2 >/dev/null
"$bin/spxjob" header "$work/ps.spx" "$work/file.ps" -o "$work/none.hdr"; rc=$?
check "settings mode 2 writes no header" '[ $rc -eq 0 ] && [ ! -e "$work/none.hdr" ]'
"$bin/spxjob" set "$work/ps.spx" settingsMode=1 customIncludeFile="$work/absent" >/dev/null
"$bin/spxjob" header "$work/ps.spx" "$work/file.ps" -o "$work/inc.hdr" 2>"$work/err"; rc=$?
check "a missing include file exits with 3 and says so" '[ $rc -eq 3 ] && grep -q "include file" "$work/err"'
"$bin/spxjob" set "$work/ps.spx" customIncludeFile=/dev/zero >/dev/null
timeout 20 "$bin/spxjob" header "$work/ps.spx" "$work/file.ps" -o "$work/zero.hdr" 2>"$work/err"; rc=$?
check "a device as include file is refused at once, with the reason" '[ $rc -eq 3 ] && grep -q "regular file" "$work/err" && [ ! -s "$work/zero.hdr" ]'
"$bin/spxjob" set "$work/ps.spx" chapterPages=$'1\r\n@PJL SET INJECTED=1' 2>"$work/err"; rc=$?
check "a page list with a printer line is refused, naming the field" '[ $rc -ne 0 ] && grep -q "chapterPages" "$work/err"'
"$bin/spxjob" header "$work/ps.spx" -o "$work/x.hdr" 2>/dev/null; rc=$?
check "a missing argument shows the usage" '[ $rc -eq 2 ]'

echo "$(( count - failures )) passed, $failures failed"
[ $failures -eq 0 ]
