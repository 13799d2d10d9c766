#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then builds the core without
# the window program under AddressSanitizer and UndefinedBehaviorSanitizer and runs its tests.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
bash "$top/scripts/build.sh" "$top/build"
(cd "$top/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
bash "$top/scripts/build.sh" "$top/build-sanitize" -DSPX_GUI=OFF -DSPX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd "$top/build-sanitize" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j2)
