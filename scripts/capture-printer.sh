#!/usr/bin/env bash
# A private print spooler with a printer that keeps what it receives, for tests and the demo.
#
#   capture-printer.sh start [DIR]     start cupsd and the capture listener in DIR (default: a new
#                                      temporary folder); prints the settings for clients
#   capture-printer.sh stop DIR [--keep-captures]
#                                      stop both and remove what start made in DIR, and DIR
#                                      when nothing else is left (with --keep-captures
#                                      DIR/captures stays)
#   capture-printer.sh status DIR      exit 0 when the scheduler answers
#   capture-printer.sh env DIR         print `export CUPS_SERVER=…` and the other settings
#   capture-printer.sh reset DIR       remove every captured file
#   capture-printer.sh stop-scheduler DIR | start-scheduler DIR | restart DIR
#                                      stop, start again or restart only the scheduler (its
#                                      jobs stay in its spool folder), as a scheduler that dies
#                                      or is restarted under a running send
#
# The scheduler has its own configuration, spool, log and cache folders under DIR, listens on a
# free loopback port and on DIR/cups.sock, and never talks to the system's scheduler. Its RAW
# queue (default name "capture", or $SPX_CAPTURE_QUEUE) sends to socket://127.0.0.1:PORT, where
# tools/capture-listener.py writes connection n to DIR/captures/000n.prn. SPX_CAPTURE_HISTORY=No
# makes a scheduler that forgets every job as soon as it has ended (PreserveJobHistory No).
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
listener="$top/tools/capture-listener.py"
queue=${SPX_CAPTURE_QUEUE:-capture}
history=${SPX_CAPTURE_HISTORY:-Yes}
case "$history" in Yes|No) ;; *) echo "capture-printer: SPX_CAPTURE_HISTORY is Yes or No" >&2; exit 2 ;; esac
# The distribution's interpreter starts fastest and stops at once on SIGTERM.
python=/usr/bin/python3
[ -x "$python" ] || python=$(command -v python3)

die() { echo "capture-printer: $*" >&2; exit 1; }

free_port() {
  "$python" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# Reads DIR/spooler.env (KEY=VALUE lines written by start).
load_state() {
  local dir=$1
  [ -f "$dir/spooler.env" ] || die "no private spooler in $dir"
  # shellcheck disable=SC1091
  . "$dir/spooler.env"
}

scheduler_running() {
  CUPS_SERVER=$1 lpstat -r 2>/dev/null | grep -q "scheduler is running"
}

# Processes of a start that did not finish are stopped again on the way out.
started_pids=()
start_done=0
abandon_start() {
  [ "$start_done" -eq 1 ] && return 0
  local pid
  for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}

cmd_start() {
  trap abandon_start EXIT
  local dir=${1:-}
  if [ -z "$dir" ]; then
    dir=$(mktemp -d "${TMPDIR:-/tmp}/spx-capture.XXXXXX")
  fi
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  if [ -f "$dir/spooler.env" ]; then
    load_state "$dir"
    if scheduler_running "$CUPS_SERVER"; then
      die "a private spooler is already running in $dir (stop it first)"
    fi
    cmd_stop "$dir"
    mkdir -p "$dir"
  fi
  local socket_path="$dir/cups.sock"
  [ ${#socket_path} -lt 100 ] || die "folder path too long for a local socket: $socket_path"

  mkdir -p "$dir"/{etc,spool,spool/tmp,cache,state,log,captures}
  # As root the scheduler runs its filters and backends as lp; they must reach these folders.
  chmod 755 "$dir"
  local port
  port=$(free_port)

  # The capture listener first: the socket backend's first failed connection costs a retry.
  "$python" "$listener" "$dir/captures" "$dir/capture-port" >"$dir/log/listener.log" 2>&1 &
  local listener_pid=$!
  started_pids+=("$listener_pid")
  local i
  for i in $(seq 1 100); do
    [ -s "$dir/capture-port" ] && break
    alive "$listener_pid" || die "capture listener failed: $(cat "$dir/log/listener.log")"
    sleep 0.05
  done
  [ -s "$dir/capture-port" ] || die "capture listener did not start"
  local capture_port
  capture_port=$(cat "$dir/capture-port")

  local identity=""
  if [ "$(id -u)" -eq 0 ]; then
    identity=$'User lp\nGroup lp\nSystemGroup root lpadmin'
    chown -R lp:lp "$dir/spool" "$dir/cache" "$dir/state" 2>/dev/null || true
    # The scheduler's helpers run as lp and must reach the spool folder through every parent.
    if command -v runuser >/dev/null && ! runuser -u lp -- test -x "$dir/spool" 2>/dev/null; then
      kill "$listener_pid" 2>/dev/null || true
      die "user lp cannot reach $dir (a parent folder is closed to others); choose another folder"
    fi
  else
    identity="User $(id -un)
Group $(id -gn)
SystemGroup $(id -gn)"
  fi
  cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/etc/printcap
ServerBin /usr/lib/cups
DataDir /usr/share/cups
FileDevice No
$identity
EOF
  cat >"$dir/etc/cupsd.conf" <<EOF
LogLevel warn
Listen 127.0.0.1:$port
Listen $socket_path
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
ErrorPolicy abort-job
PreserveJobHistory $history
PreserveJobFiles No
MaxJobs 0
<Location />
  Order allow,deny
  Allow localhost
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  local cupsd_pid
  cupsd_pid=$(launch_scheduler "$dir")
  started_pids+=("$cupsd_pid")
  cat >"$dir/spooler.env" <<EOF
DIR=$dir
CUPSD_PID=$cupsd_pid
LISTENER_PID=$listener_pid
PORT=$port
CAPTURE_PORT=$capture_port
SOCKET=$socket_path
CUPS_SERVER=$socket_path
CUPS_SERVER_TCP=127.0.0.1:$port
QUEUE=$queue
EOF
  await_scheduler "$dir" "$cupsd_pid"

  CUPS_SERVER=$socket_path lpadmin -p "$queue" -E -v "socket://127.0.0.1:$capture_port/?contimeout=5" \
    || die "could not add the queue $queue"
  CUPS_SERVER=$socket_path cupsenable "$queue" 2>/dev/null || true
  CUPS_SERVER=$socket_path cupsaccept "$queue" 2>/dev/null || true

  start_done=1
  echo "private spooler running in $dir"
  echo "  CUPS_SERVER=$socket_path   (or 127.0.0.1:$port)"
  echo "  queue $queue -> socket://127.0.0.1:$capture_port, captures in $dir/captures"
}

# Starts cupsd on the configuration in DIR; prints its process id.
launch_scheduler() {
  local dir=$1
  cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" >>"$dir/log/cupsd.out" 2>&1 &
  echo $!
}

await_scheduler() {
  local dir=$1 pid=$2 i
  for i in $(seq 1 200); do
    scheduler_running "$dir/cups.sock" && return 0
    alive "$pid" || die "cupsd failed: $(cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null)"
    sleep 0.05
  done
  die "cupsd did not answer in time"
}

cmd_stop_scheduler() {
  local dir=${1:-}
  [ -n "$dir" ] || die "usage: capture-printer.sh stop-scheduler DIR"
  load_state "$dir"
  # Given time to write its job files, so that the jobs are there again after a start.
  stop_process "${CUPSD_PID:-}" 100
}

cmd_start_scheduler() {
  local dir=${1:-}
  [ -n "$dir" ] || die "usage: capture-printer.sh start-scheduler DIR"
  load_state "$dir"
  if [ -n "${CUPSD_PID:-}" ] && alive "$CUPSD_PID"; then
    return 0
  fi
  local pid
  pid=$(launch_scheduler "$dir")
  sed -i "s/^CUPSD_PID=.*/CUPSD_PID=$pid/" "$dir/spooler.env"
  await_scheduler "$dir" "$pid"
}

# Alive and not a zombie (the processes outlive the shell that started them, so their reaping
# is up to whoever adopted them).
alive() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "${state#Z}" = "$state" ]
}

stop_process() {
  local pid=$1 rounds=${2:-20}
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  # A throw-away scheduler need not take its time saving state: a second is enough.
  local i
  for i in $(seq 1 "$rounds"); do
    alive "$pid" || return 0
    sleep 0.05
  done
  kill -9 "$pid" 2>/dev/null || true
}

cmd_stop() {
  local dir=${1:-}
  local keep=${2:-}
  [ -n "$dir" ] || die "usage: capture-printer.sh stop DIR [--keep-captures]"
  [ -d "$dir" ] || return 0
  if [ -f "$dir/spooler.env" ]; then
    load_state "$dir"
    # Only the processes this script started, by their id.
    stop_process "${CUPSD_PID:-}"
    stop_process "${LISTENER_PID:-}"
  fi
  # Only what start made goes: a folder that held files of its own keeps them.
  rm -rf "$dir"/{etc,spool,cache,state,log,cups.sock,capture-port,capture-port.tmp,spooler.env}
  if [ "$keep" = "--keep-captures" ]; then
    rm -f "$dir"/captures/*.part
  else
    rm -rf "$dir/captures"
    rmdir "$dir" 2>/dev/null || true
  fi
}

cmd_status() {
  local dir=${1:-}
  [ -n "$dir" ] || die "usage: capture-printer.sh status DIR"
  load_state "$dir"
  if scheduler_running "$CUPS_SERVER" && alive "$LISTENER_PID"; then
    echo "running: CUPS_SERVER=$CUPS_SERVER queue $QUEUE captures in $DIR/captures"
  else
    echo "not running"
    return 1
  fi
}

cmd_env() {
  local dir=${1:-}
  [ -n "$dir" ] || die "usage: capture-printer.sh env DIR"
  load_state "$dir"
  echo "export CUPS_SERVER=$CUPS_SERVER"
  echo "export SPX_CAPTURE_QUEUE=$QUEUE"
  echo "export SPX_CAPTURE_DIR=$DIR/captures"
  echo "export SPX_CAPTURE_PORT=$CAPTURE_PORT"
}

cmd_reset() {
  local dir=${1:-}
  [ -n "$dir" ] || die "usage: capture-printer.sh reset DIR"
  rm -f "$dir"/captures/*
}

case "${1:-}" in
  start) shift; cmd_start "$@" ;;
  stop) shift; cmd_stop "$@" ;;
  status) shift; cmd_status "$@" ;;
  env) shift; cmd_env "$@" ;;
  reset) shift; cmd_reset "$@" ;;
  stop-scheduler) shift; cmd_stop_scheduler "$@" ;;
  start-scheduler) shift; cmd_start_scheduler "$@" ;;
  restart) shift; cmd_stop_scheduler "$@"; cmd_start_scheduler "$@" ;;
  *) sed -n '2,16p' "$0" >&2; exit 2 ;;
esac
