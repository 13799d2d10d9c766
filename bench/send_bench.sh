#!/usr/bin/env bash
# Throughput of the send path through a private cupsd and its capture printer, against `lp -o raw`
# and, as the physical limit, a plain copy into the capture printer's socket. Each run is timed
# from its start until the last capture file is complete.
#
#   bench/send_bench.sh [BUILD_DIR] [--big-mb N] [--small-count N] [--small-kb N]
#
# Prints MB/s and files/s of the three ways side by side, with the ratios to `lp -o raw` and to
# the plain copy. Figures only; nothing here fails on speed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
big_mb=200
small_count=500
small_kb=4
while [ $# -gt 0 ]; do
  case "$1" in
    --big-mb) big_mb=$2; shift 2 ;;
    --small-count) small_count=$2; shift 2 ;;
    --small-kb) small_kb=$2; shift 2 ;;
    *) build=$(cd "$1" && pwd); shift ;;
  esac
done
spxjob=$build/bin/spxjob
[ -x "$spxjob" ] || { echo "no $spxjob: build first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/spx-bench.XXXXXX")
chmod 755 "$work"   # the scheduler's helpers (user lp when run as root) read the spool below it
spool=$work/spooler
cleanup() { bash "$top/scripts/capture-printer.sh" stop "$spool" >/dev/null 2>&1 || true; rm -rf "$work"; }
trap cleanup EXIT
bash "$top/scripts/capture-printer.sh" start "$spool" >/dev/null
eval "$(bash "$top/scripts/capture-printer.sh" env "$spool")"
captures=$SPX_CAPTURE_DIR
queue=$SPX_CAPTURE_QUEUE

# The job: no header, so that all three ways move exactly the same bytes.
"$spxjob" new -o "$work/raw.spx" settingsMode=2 >/dev/null
head -c $((big_mb << 20)) /dev/urandom >"$work/big.bin"
mkdir -p "$work/small"
for i in $(seq -f '%04g' 1 "$small_count"); do
  head -c $((small_kb << 10)) /dev/urandom >"$work/small/$i.prn"
done
small_files=("$work"/small/*.prn)

now() { date +%s.%N; }
count_captures() { find "$captures" -name '*.prn' | wc -l; }
# Waits until `want` captures exist in total.
wait_for() {
  local want=$1
  while [ "$(count_captures)" -lt "$want" ]; do sleep 0.002; done
}

# run NAME COMMAND...: times COMMAND until its captures are complete; prints seconds.
run() {
  local files=$1; shift
  local before
  before=$(count_captures)
  local start end
  start=$(now)
  "$@" >/dev/null
  wait_for $((before + files))
  end=$(now)
  echo "$end - $start" | bc -l
}

spx_big() { "$spxjob" send --queue "$queue" --job "$work/raw.spx" ${SPX_BENCH_SEND_OPTIONS:-} "$work/big.bin"; }
lp_big() { lp -d "$queue" -o raw "$work/big.bin"; }
copy_big() { cat "$work/big.bin" >"/dev/tcp/127.0.0.1/$SPX_CAPTURE_PORT"; }
spx_small() { "$spxjob" send --queue "$queue" --job "$work/raw.spx" ${SPX_BENCH_SEND_OPTIONS:-} "${small_files[@]}"; }
lp_small() { local f; for f in "${small_files[@]}"; do lp -d "$queue" -o raw "$f"; done; }
copy_small() { local f; for f in "${small_files[@]}"; do cat "$f" >"/dev/tcp/127.0.0.1/$SPX_CAPTURE_PORT"; done; }

# A first send warms the scheduler and the backend up.
run 1 spx_big >/dev/null
rm -f "$captures"/*

t_spx_big=$(run 1 spx_big)
t_lp_big=$(run 1 lp_big)
t_copy_big=$(run 1 copy_big)
cmp -s "$work/big.bin" "$(ls "$captures"/*.prn | head -1)" || { echo "capture differs from the file" >&2; exit 1; }
rm -f "$captures"/*
t_spx_small=$(run "$small_count" spx_small)
t_lp_small=$(run "$small_count" lp_small)
t_copy_small=$(run "$small_count" copy_small)

fmt() { printf '%8.2f' "$1"; }
mbps() { echo "$big_mb / $1" | bc -l; }
fps() { echo "$small_count / $1" | bc -l; }
echo "send benchmark: one ${big_mb} MB file and ${small_count} files of ${small_kb} KB, RAW, through a private cupsd"
printf '%-22s %10s %10s %12s %10s %12s\n' "" "big s" "MB/s" "small s" "files/s" ""
printf '%-22s %10s %10s %12s %10s\n' "spxjob send" "$(fmt "$t_spx_big")" "$(fmt "$(mbps "$t_spx_big")")" "$(fmt "$t_spx_small")" "$(fmt "$(fps "$t_spx_small")")"
printf '%-22s %10s %10s %12s %10s\n' "lp -o raw" "$(fmt "$t_lp_big")" "$(fmt "$(mbps "$t_lp_big")")" "$(fmt "$t_lp_small")" "$(fmt "$(fps "$t_lp_small")")"
printf '%-22s %10s %10s %12s %10s\n' "plain socket copy" "$(fmt "$t_copy_big")" "$(fmt "$(mbps "$t_copy_big")")" "$(fmt "$t_copy_small")" "$(fmt "$(fps "$t_copy_small")")"
ratio() { fmt "$(echo "$1 / $2" | bc -l)"; }
echo
echo "speed ratio spxjob : lp -o raw      big $(ratio "$t_lp_big" "$t_spx_big")   small $(ratio "$t_lp_small" "$t_spx_small")   [1.0 = as fast]"
echo "speed ratio spxjob : plain copy     big $(ratio "$t_copy_big" "$t_spx_big")   small $(ratio "$t_copy_small" "$t_spx_small")"
