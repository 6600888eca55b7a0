#!/usr/bin/env bash
# Configures and builds both targets: build/x86_64 (tested under Wine) and build/i686
# (compiled and linked only).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
for arch in x86_64 i686; do
  echo "Building $arch in build/$arch (about two minutes from scratch on 8 cores)..."
  cmake -S "$root" -B "$root/build/$arch" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
  cmake --build "$root/build/$arch" -j "$(nproc)"
done
