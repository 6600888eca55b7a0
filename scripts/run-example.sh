#!/usr/bin/env bash
# The main job: installs what is missing, builds the control, registers it in a Wine
# prefix and runs the example automation client on one simulated card.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/install-deps.sh"
build="$root/build/x86_64"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" >/dev/null
# The control and, beside it, the simulator module it loads for VORN305Q_SIMULATOR.
cmake --build "$build" --target Vorn_305q Vorn_305q_sim -j "$(nproc)"

export WINEPREFIX="$build/wineprefix"
. "$root/scripts/wine-env.sh"
winpath() { echo "Z:$(realpath "$1" | sed 's|/|\\|g')"; }

dll=$(find "$build" -name Vorn_305q.dll -print -quit)
/usr/lib/wine/wine64 regsvr32 /s "$(winpath "$dll")"

export VORN305Q_SIMULATOR=1
export VORN305Q_MSGBOX_LOG="$build/example-messages.log"
export VORN305Q_SIM_TRACE="$build/example-chip-trace.log"
rm -f "$VORN305Q_MSGBOX_LOG" "$VORN305Q_SIM_TRACE"
output="$build/example-output.txt"
status=0
/usr/lib/wine/wine64 cscript //nologo "$(winpath "$root/examples/move_axis_x.vbs")" |
  tr -d '\r' | tee "$output" || status=${PIPESTATUS[0]}
# The script host stops silently, with exit code 0, at a script error.
if [ "$status" -eq 0 ] && ! grep -q '^Stopped\.' "$output"; then
  echo "The example stopped before the move ended (script error)."
  status=1
fi
if [ -s "$VORN305Q_MSGBOX_LOG" ]; then
  echo "Card messages:"
  cat "$VORN305Q_MSGBOX_LOG"
fi
echo "Chip accesses traced: $(wc -l <"$VORN305Q_SIM_TRACE" 2>/dev/null || echo 0) (in $VORN305Q_SIM_TRACE)"
/usr/lib/wine/wineserver -w || true
exit "$status"
