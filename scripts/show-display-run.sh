#!/usr/bin/env bash
# Runs a display test program under Wine (call it under xvfb-run): prepares $WINEPREFIX
# with scripts/show-prefix.sh, registering the control DLL given (may be ""), then runs
# the program with the remaining arguments.
#   show-display-run.sh <Vorn_305q.dll|""> <program.exe> [arg...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
dll=$1
shift
"$here/show-prefix.sh" ${dll:+"$dll"}
. "$here/wine-env.sh"
status=0
/usr/lib/wine/wine64 "$@" || status=$?
# Let the prefix's server save its registry; a leftover process must not hold the test.
timeout 30 /usr/lib/wine/wineserver -w 2>/dev/null || /usr/lib/wine/wineserver -k 2>/dev/null || true
exit "$status"
