#!/usr/bin/env bash
# The test command: installs what is missing, builds both targets, runs every test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cd "$root/build/x86_64"
echo "Running every test under Wine (about three minutes on an idle 8-core machine)..."
ctest --output-on-failure -j "$(nproc)" --timeout 300
