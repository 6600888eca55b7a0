#!/usr/bin/env bash
# The main job: installs what is missing (the CJK fonts included), builds, registers the
# control in a Wine prefix and starts the demonstration program Vorn_305q_show on one
# simulated card. With $DISPLAY set it opens on that display and waits until you close
# it; without one it runs under Xvfb, drives a short scripted operator run and saves
# screenshots under build/x86_64/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/install-deps.sh"
build="$root/build/x86_64"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" >/dev/null
echo "Building the program in build/x86_64 (about two minutes the first time)..."
cmake --build "$build" --target Vorn_305q Vorn_305q_show show_demo_run -j "$(nproc)"

dll=$(find "$build" -name Vorn_305q.dll -print -quit)
exe=$(find "$build" -name Vorn_305q_show.exe -print -quit)
winpath() { echo "Z:$(realpath "$1" | sed 's|/|\\|g')"; }
# The platform's own boxes and dialogs speak the locale's language: Chinese, as on the
# program's users' systems, where the machine has the locale.
if locale -a 2>/dev/null | grep -qx 'zh_CN.utf8'; then
  export LC_ALL=zh_CN.UTF-8
else
  echo "No locale zh_CN.UTF-8 (scripts/install-deps.sh makes it): the platform's own dialogs speak English."
fi
export VORN305Q_SIMULATOR=1
export VORN305Q_MSGBOX_LOG="$build/show-messages.log"
export VORN_SHOW_TRACE="$build/show-trace.log"
rm -f "$VORN305Q_MSGBOX_LOG" "$VORN_SHOW_TRACE"

if [ -n "${DISPLAY:-}" ]; then
  # A prefix whose desktop has met this display; the headless one would show nothing.
  # Its windows are the window manager's, to move and switch to as any other.
  export WINEPREFIX="$build/wineprefix-show"
  VORN_SHOW_WINDOW_MANAGER=1 "$root/scripts/show-prefix.sh" "$dll"
  . "$root/scripts/wine-env.sh"
  echo "Vorn_305q_show runs on $DISPLAY with one simulated card; close its window to end."
  status=0
  /usr/lib/wine/wine64 "$(winpath "$exe")" || status=$?
  echo "The program ended with exit code $status (its trace: $VORN_SHOW_TRACE)."
else
  export WINEPREFIX="$build/wineprefix-show-xvfb"
  shots="$build/screenshots"
  mkdir -p "$shots"
  rm -f "$shots"/*.png
  echo "No display: a scripted run under Xvfb, screenshots in $shots"
  status=0
  VORN_SHOW_WINDOW_MANAGER=0 xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$root/scripts/show-display-run.sh" "$dll" \
    "$build/tests/show/show_demo_run.exe" "$(winpath "$exe")" "$(winpath "$shots")" |
    tr -d '\r' | sed 's/^screenshot /Screenshot: /' || status=${PIPESTATUS[0]}
fi
if [ -s "$VORN305Q_MSGBOX_LOG" ]; then
  echo "Card messages:"
  cat "$VORN305Q_MSGBOX_LOG"
fi
exit "$status"
