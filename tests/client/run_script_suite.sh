#!/usr/bin/env bash
# Runs one script suite under Wine's script host against the built control:
#   run_script_suite.sh <Vorn_305q.dll> <suite.vbs|suite.js> <expected-messages.txt> [arg...]
# Registers the control, runs the suite with a fresh card-message log, unregisters it.
# The host exits 0 even after a script error: the suite's last line must also be
# "RESULT <n> passed, 0 failed".
set -uo pipefail
dll=$1 suite=$2 messages=$3
shift 3
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
wine=/usr/lib/wine/wine64
winpath() { echo "Z:$(realpath "$1" | sed 's|/|\\|g')"; }
work=$(mktemp -d "${TMPDIR:-/tmp}/vorn-script.XXXXXX")
trap 'rm -rf "$work"' EXIT
export VORN305Q_MSGBOX_LOG="$work/messages.log"
: >"$VORN305Q_MSGBOX_LOG"

# Each step is named as it ends, with the seconds since the start, and the host's lines
# reach the log as they come: a step that stalls on a loaded machine can then be told.
step() { echo "[$SECONDS s] $*"; }
timeout 60 "$wine" regsvr32 /s "$(winpath "$dll")" || { step "regsvr32 failed or stalled"; exit 1; }
step "registered"
timeout 120 "$wine" cscript //nologo "$(winpath "$suite")" \
  "$(winpath "$VORN305Q_MSGBOX_LOG")" "$(winpath "$messages")" "$@" |
  sed -u 's/\r$//' | tee "$work/out.txt"
status=${PIPESTATUS[0]}
step "the script host ended (exit code $status)"
timeout 60 "$wine" regsvr32 /u /s "$(winpath "$dll")" || { step "regsvr32 /u failed or stalled"; exit 1; }
if [[ ! $(tail -n 1 "$work/out.txt") =~ ^RESULT\ ([0-9]+)\ passed,\ 0\ failed$ ]] ||
  [ "$status" -ne 0 ] || [ "${BASH_REMATCH[1]}" -eq 0 ]; then
  echo "suite failed or stopped early (exit code $status)"
  exit 1
fi
