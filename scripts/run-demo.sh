#!/usr/bin/env bash
# Sends a sample job of the print files in samples/ through `spxjob send`.
#
#   scripts/run-demo.sh [--build DIR] [QUEUE]
#
# Without a QUEUE a private spooler with a capture printer is started (scripts/capture-printer.sh),
# the job goes there, the spooler is stopped again and the captured streams stay in a folder
# whose name is printed. With a QUEUE the job goes to that queue of the CUPS scheduler the
# environment names, like any CUPS client.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SPX_BUILD_DIR:-$top/build}
queue=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) queue=$1; shift ;;
  esac
done
spxjob=$build/bin/spxjob
[ -x "$spxjob" ] || { echo "run-demo: no $spxjob (build first: bash scripts/build.sh)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/spx-demo.XXXXXX")
chmod 755 "$work"
spool=""
finish() {
  [ -n "$spool" ] && bash "$top/scripts/capture-printer.sh" stop "$spool" --keep-captures >/dev/null 2>&1 || true
  rm -f "$work"/*.spx
}
trap finish EXIT

if [ -z "$queue" ]; then
  spool=$work/spooler
  bash "$top/scripts/capture-printer.sh" start "$spool" >/dev/null
  eval "$(bash "$top/scripts/capture-printer.sh" env "$spool")"
  queue=$SPX_CAPTURE_QUEUE
  echo "Private print spooler started; its printer \"$queue\" keeps what it receives."
fi

# Two jobs: a PostScript printer (two copies, duplex) for the PostScript samples, and a PCL
# printer for the PCL sample.
"$spxjob" new -o "$work/postscript.spx" copies=2 plexMode=1 >/dev/null
"$spxjob" new -o "$work/pcl.spx" printerLanguage=1 fileLanguage=1 >/dev/null

status=0
echo "Sending to queue \"$queue\":"
"$spxjob" send --queue "$queue" --job "$work/postscript.spx" "$top/samples/letter.ps" "$top/samples/brochure.ps" || status=1
"$spxjob" send --queue "$queue" --job "$work/pcl.spx" "$top/samples/invoice.pcl" || status=1

if [ -n "$spool" ]; then
  bash "$top/scripts/capture-printer.sh" stop "$spool" --keep-captures >/dev/null
  spool=""
  echo
  echo "The printer received (one file per job, job header followed by the print file):"
  for f in "$work"/spooler/captures/*.prn; do
    [ -e "$f" ] || continue
    printf '  %s  (%s bytes)\n' "$f" "$(stat -c %s "$f")"
  done
  echo "Look at one with:  less $work/spooler/captures/0001.prn"
fi
exit $status
