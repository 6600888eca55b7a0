#!/usr/bin/env bash
# Builds and runs the demonstration program's start-up benchmark under Xvfb, in a prefix
# of its own with the control registered.   bench/run_show_startup.sh [runs]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/x86_64"
cmake --build "$build" --target bench_show_startup Vorn_305q_show Vorn_305q -j4 >/dev/null
dll=$(find "$build" -name Vorn_305q.dll -print -quit)
exe=$(find "$build" -name Vorn_305q_show.exe -print -quit)
export WINEPREFIX="$build/wineprefix-bench-show"
xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/show-display-run.sh" "$dll" \
  "$build/bench/bench_show_startup.exe" "Z:${exe//\//\\}" "${1:-20}"
