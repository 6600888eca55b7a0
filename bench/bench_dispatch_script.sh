#!/usr/bin/env bash
# Calls per second of GetPosition made through IDispatch by Wine's VBScript host, on one
# simulated card: registers the built control in the build tree's Wine prefix, runs
# bench_dispatch_script.vbs and unregisters the control again.
#   bench/bench_dispatch_script.sh [build directory (default build/x86_64)] [seconds]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath "${1:-$root/build/x86_64}")
seconds=${2:-2}
dll="$build/control/Vorn_305q.dll"
if [ ! -f "$dll" ]; then
  echo "no $dll: build the target Vorn_305q first" >&2
  exit 1
fi
export WINEPREFIX="$build/wineprefix"
. "$root/scripts/wine-env.sh"
winpath() { echo "Z:$(realpath "$1" | sed 's|/|\\|g')"; }

export VORN305Q_SIMULATOR=1
unset VORN305Q_SIM_TRACE  # tracing every chip access would be measured too
log=$(mktemp "${TMPDIR:-/tmp}/vorn-bench.XXXXXX")
trap 'rm -f "$log"' EXIT
export VORN305Q_MSGBOX_LOG="$log"

/usr/lib/wine/wine64 regsvr32 /s "$(winpath "$dll")"
status=0
/usr/lib/wine/wine64 cscript //nologo "$(winpath "$root/bench/bench_dispatch_script.vbs")" \
  "$seconds" | tr -d '\r' || status=$?
/usr/lib/wine/wine64 regsvr32 /u /s "$(winpath "$dll")"
exit "$status"
