#!/usr/bin/env bash
# Runs a command on the display (call it under xvfb-run) with the window manager openbox
# managing the windows, and the Wine prefix set up for a managed desktop as on a person's
# display (scripts/show-prefix.sh reads VORN_SHOW_WINDOW_MANAGER).
#   with_window_manager.sh <command> [arg...]
set -euo pipefail
for tool in openbox wmctrl xdotool xwininfo; do
  command -v "$tool" >/dev/null || {
    echo "with_window_manager: $tool is missing (scripts/install-deps.sh installs it)" >&2
    exit 1
  }
done
log=$(mktemp "${TMPDIR:-/tmp}/with-window-manager.XXXXXX")
openbox --sm-disable >"$log" 2>&1 &
manager=$!
trap 'kill "$manager" 2>/dev/null || true; wait "$manager" 2>/dev/null || true; rm -f "$log"' EXIT
# A window mapped before the manager has taken the display would stay unmanaged.
for _ in $(seq 100); do
  wmctrl -m >/dev/null 2>&1 && break
  kill -0 "$manager" 2>/dev/null || {
    echo "with_window_manager: openbox ended at its start:" >&2
    cat "$log" >&2
    exit 1
  }
  sleep 0.1
done
wmctrl -m >/dev/null 2>&1 || {
  echo "with_window_manager: openbox did not take the display:" >&2
  cat "$log" >&2
  exit 1
}
export VORN_SHOW_WINDOW_MANAGER=1
"$@"
