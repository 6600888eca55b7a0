#!/usr/bin/env bash
# Runs a program of the x86_64 build under Wine with our settings.
# WINEPREFIX must point at a prefix (the build tree's, set by CMake for ctest).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
exec /usr/lib/wine/wine64 "$@"
