#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job: a sample job of a few print
# files is sent to a printer queue (a private spooler with a capture printer when no QUEUE is
# named), then, on a desktop, the window program starts.
#
#   bash scripts/run.sh [QUEUE]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build"
bash "$top/scripts/run-demo.sh" --build "$top/build" "$@"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$top/build/bin/spxl" ]; then
  echo "Starting the window program: $top/build/bin/spxl"
  exec "$top/build/bin/spxl"
fi
