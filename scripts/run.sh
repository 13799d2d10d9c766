#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program's main job: a sample job is written and
# shown, then sent through the spooler when the demo sender is present. Arguments go to the demo.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build"
bin="$top/build/bin"
job="${TMPDIR:-/tmp}/spxl-sample.spx"
"$bin/spxjob" new -o "$job" copies=2 plexMode=1 paperIndex=3 jobText1040="Sample job" emailAddress=operator@example.org
echo "Sample job written to $job:"
"$bin/spxjob" show "$job" | grep -E '^(copies|plexMode|paperIndex|paperName|jobText1040|emailAddress) ='
if [ -x "$top/scripts/run-demo.sh" ]; then
  bash "$top/scripts/run-demo.sh" --job "$job" "$@"
fi
