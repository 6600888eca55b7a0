#!/usr/bin/env bash
# Runs a command with a virtual display of its own (Xvfb, 1280 x 1024 at 24 bits), as
# xvfb-run -a does, but starts one such display at a time: two X servers started at the
# same moment can both take the same display number, the second then refusing the first
# one's programs, whose windows cannot open. The next display starts once this one is up.
#   display-run.sh <command> [arg...]
set -euo pipefail
exec 9>>"${TMPDIR:-/tmp}/vorn-display-start.lock"
flock 9
# xvfb-run starts the command once its server answers: the lock is let go there.
exec xvfb-run -a -s "-screen 0 1280x1024x24" /bin/sh -c 'flock -u 9; exec 9>&-; exec "$@"' \
  display-run "$@"
