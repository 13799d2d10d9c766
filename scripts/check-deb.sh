#!/usr/bin/env bash
# Builds the Debian package from a build folder (cpack -G DEB), unpacks it into a temporary root
# with dpkg -x and checks that every file is where the desktop and the program expect it, that
# the package names its dependencies, and that the programs run from the unpacked tree.
# Usage: bash scripts/check-deb.sh [BUILD_DIR]      (default: build)
set -u
build=$(cd "${1:-build}" && pwd)
gui=0; [ -x "$build/bin/spxl" ] && gui=1
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
failures=0; checks=0
check() { checks=$((checks+1)); if eval "$2"; then echo "ok - $1"; else echo "not ok - $1"; failures=$((failures+1)); fi; }

rm -f "$build"/spxl_*.deb
if ! (cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1); then
  cat "$work/cpack.log"; exit 1
fi
deb=$(ls "$build"/spxl_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "no package was written"; cat "$work/cpack.log"; exit 1; }
echo "package: $deb ($(stat -c %s "$deb") bytes)"

root=$work/root
dpkg -x "$deb" "$root"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends > "$work/control"
cat "$work/control"
dpkg-deb -e "$deb" "$work/DEBIAN"
echo "files: $(find "$root" -type f | wc -l), unpacked $(du -sk "$root" | cut -f1) KiB"

files=(usr/bin/spxjob
       usr/share/spxl/spxlres.rcc usr/share/spxl/spxl-help.html
       usr/share/spxl/spxl.ini usr/share/spxl/papers.ini usr/share/spxl/itemdisable.txt
       etc/spxl/spxl.ini etc/spxl/papers.ini etc/spxl/itemdisable.txt
       usr/share/applications/spxl.desktop usr/share/mime/packages/spxl.xml
       usr/share/icons/hicolor/scalable/apps/spxl.svg usr/share/icons/hicolor/48x48/apps/spxl.png
       usr/share/man/man1/spxjob.1.gz usr/share/man/man1/spxl.1.gz)
[ $gui = 1 ] && files+=(usr/bin/spxl)
for f in "${files[@]}"; do check "package holds /$f" "[ -s '$root/$f' ]"; done
check "nothing outside /usr and /etc" '[ -z "$(ls "$root" | grep -vx -e usr -e etc)" ]'
check "the configuration files are conffiles" \
  '[ "$(sort "$work/DEBIAN/conffiles" | xargs)" = "/etc/spxl/itemdisable.txt /etc/spxl/papers.ini /etc/spxl/spxl.ini" ]'
check "the package depends on CUPS and the C++ library" \
  'grep -q "libcups2" "$work/control" && grep -q "libstdc++6" "$work/control"'
if [ $gui = 1 ]; then
  check "the package depends on Qt Widgets and its platform plugins" \
    'grep -q "libqt6widgets6" "$work/control" && grep -q "qt6-qpa-plugins" "$work/control"'
fi
check "the programs are stripped" '! readelf -S "$root/usr/bin/spxjob" | grep -q "\.symtab"'

# The unpacked programs find their files: the data under usr/share/spxl, the configuration in
# the package's etc/spxl (named by SPXL_CONFIG_DIR, as /etc/spxl is on an installed system).
export SPXL_CONFIG_DIR=$root/etc/spxl
cd /
"$root/usr/bin/spxjob" new -o "$work/job.spx" copies=2 paperIndex=2 >/dev/null 2>"$work/err"
check "unpacked spxjob writes a job with the package's catalogue" \
  '"$root/usr/bin/spxjob" show "$work/job.spx" | grep -qx "paperName = \"A4 Plain 80\""'
if [ $gui = 1 ]; then
  QT_QPA_PLATFORM=offscreen HOME=$work/home timeout 120 "$root/usr/bin/spxl" --screenshots "$work/shots" >"$work/shots.log" 2>&1; rc=$?
  check "unpacked spxl starts offscreen and writes the seven tabs" \
    '[ $rc -eq 0 ] && [ "$(ls "$work/shots"/tab*.png 2>/dev/null | wc -l)" -eq 7 ]'
fi
if command -v desktop-file-validate >/dev/null; then
  check "the installed desktop entry is valid" 'desktop-file-validate "$root/usr/share/applications/spxl.desktop"'
fi

echo "$(( checks - failures )) passed, $failures failed"
[ $failures -eq 0 ]
