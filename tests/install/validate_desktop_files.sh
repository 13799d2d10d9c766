#!/usr/bin/env bash
# The desktop entry and the job file type, checked by the desktop's own tools where they are
# installed: desktop-file-validate, xmllint, update-mime-database. Skips (77) without them.
# With MIME_PROBE and TEST_DATA_DIR it also checks that the database built from the job file
# type knows a job file by its signature and by its name.
# Usage: validate_desktop_files.sh PACKAGING_DIR [MIME_PROBE TEST_DATA_DIR]
set -u
dir=$1; probe=${2:-}; data=${3:-}
ran=0; failures=0
if command -v desktop-file-validate >/dev/null; then
  ran=1
  desktop-file-validate "$dir/spxl.desktop" || failures=$((failures+1))
  echo "desktop-file-validate spxl.desktop: done"
fi
if command -v xmllint >/dev/null; then
  ran=1
  xmllint --noout "$dir/spxl-job.xml" || failures=$((failures+1))
  echo "xmllint spxl-job.xml: done"
fi
if command -v update-mime-database >/dev/null; then
  ran=1
  # The database tool rejects an element or attribute it does not know.
  work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/mime/packages"
  cp "$dir/spxl-job.xml" "$work/mime/packages/spxl.xml"
  if XDG_DATA_HOME=$work update-mime-database "$work/mime" 2>"$work/err" && [ ! -s "$work/err" ]; then
    grep -q "application/x-spxl-job" "$work/mime/types" || failures=$((failures+1))
    if [ -n "$probe" ]; then
      cp "$data/jobs/v4.spx" "$work/first-kind"; cp "$data/jobs/v5.spx" "$work/second-kind"
      printf '%%!PS-Adobe-3.0\n' > "$work/print.spx"
      got=$(XDG_DATA_HOME=$work XDG_DATA_DIRS=/usr/share "$probe" "$work/first-kind" "$work/second-kind" "$work/print.spx")
      expected="application/x-spxl-job application/octet-stream
application/x-spxl-job application/octet-stream
application/postscript application/x-spxl-job"
      if [ "$got" != "$expected" ]; then
        echo "MIME types by content and by name:"; echo "$got"; echo "expected:"; echo "$expected"
        failures=$((failures+1))
      fi
      echo "job files known by signature and name: done"
    fi
  else
    cat "$work/err"; failures=$((failures+1))
  fi
  echo "update-mime-database: done"
fi
# What the validator lets pass but the file manager needs: the job type, the files given to the
# program, the icon of the installed theme.
for line in "MimeType=application/x-spxl-job;" "Exec=spxl %F" "Icon=spxl"; do
  grep -qx "$line" "$dir/spxl.desktop" || { echo "spxl.desktop lacks the line $line"; failures=$((failures+1)); }
done
echo "$failures failed"
[ $failures -eq 0 ] || exit 1
[ $ran -eq 1 ] || { echo "none of desktop-file-validate, xmllint, update-mime-database is installed"; exit 77; }
