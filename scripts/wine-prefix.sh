#!/usr/bin/env bash
# The Wine prefixes of a build tree: one prepared prefix and cheap copies of it.
#   wine-prefix.sh prepare <build dir> [control.dll ...]
#       makes <build dir>/wineprefix-prepared or brings it up to date: booted with a
#       display, the program's settings applied (scripts/show-prefix.sh), each DLL given
#       registered (again when rebuilt). Made afresh when Wine or scripts/show-prefix.sh
#       changes.
#   wine-prefix.sh copy <build dir> <new prefix>
#       a lasting copy of the prepared prefix (prepared first if need be).
#   wine-prefix.sh run <build dir> <name> <command> [arg...]
#       runs the command with WINEPREFIX set to a copy of its own, removed on any exit.
#   wine-prefix.sh clean <build dir>
#       removes the copies whose run was killed before it could remove them.
# A copy shares the files Wine only reads (modules, code pages, themes) with the prepared
# prefix as hard links, or everything as reflinks where the file system can. The rest is
# copied for real: wineserver rewrites its registry files in place, and a program may
# rewrite an .ini file or a file of the user's profile the same way.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
self="$here/$(basename "${BASH_SOURCE[0]}")"
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver

die() {
  echo "wine-prefix: $*" >&2
  exit 1
}

# What a prefix depends on: another Wine would update the modules of every copy in place;
# new settings or fonts of ours would be applied again in every copy.
wine_fingerprint() {
  stat -L -c '%n %s %Y' "$wine" /usr/share/wine/wine.inf 2>/dev/null || true
  md5sum "$here/show-prefix.sh"
}

is_current() {
  [ -f "$1/.vorn-prepared" ] && [ "$(cat "$1/.vorn-prepared")" = "$(wine_fingerprint)" ]
}

control_keys() {
  local dll
  for dll in "$@"; do
    [ -f "$dll" ] || die "no control module $dll"
    echo "$(stat -L -c '%s %Y' "$dll") $(realpath "$dll")"
  done
}

# A prefix whose desktop first started without a display never shows a top-level window:
# the prepared prefix meets one from its first start on.
with_display() {
  if command -v xvfb-run >/dev/null; then
    "$here/display-run.sh" "$@"
  elif [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    die "no display and no xvfb-run (scripts/install-deps.sh installs it)"
  fi
}

stop_server() {
  WINEPREFIX="$1" timeout 60 "$server" -w 2>/dev/null || WINEPREFIX="$1" "$server" -k 2>/dev/null || true
}

# Under with_display, WINEPREFIX set: boot when new, apply the settings, register.
setup_in_display() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    VORN_WINE_BOOT=1 . "$here/wine-env.sh"
    [ -f "$WINEPREFIX/system.reg" ] || die "Wine did not make the prefix $WINEPREFIX"
  fi
  "$here/show-prefix.sh"
  local dll
  for dll in "$@"; do
    "$here/show-prefix.sh" "$dll"
  done
  stop_server "$WINEPREFIX"
}

prepare() {
  local build=$1
  shift
  local prepared="$build/wineprefix-prepared"
  exec 8>"$prepared.lock"
  flock 8
  if ! is_current "$prepared"; then
    local fresh="$prepared.new"
    rm -rf "$fresh"
    mkdir "$fresh"
    echo "Making the build tree's prepared Wine prefix $prepared (about a minute)..."
    WINEPREFIX="$fresh" with_display "$self" setup-in-display 8>&-
    wine_fingerprint >"$fresh/.vorn-prepared"
    : >"$fresh/.vorn-controls"
    if [ -e "$prepared" ]; then
      # Lasting copies of the old one keep their hard-linked files.
      stop_server "$prepared"
      rm -rf "$prepared"
    fi
    mv "$fresh" "$prepared"
    rm -f "$fresh.lock"
  fi
  if [ $# -gt 0 ]; then
    local keys
    keys=$(control_keys "$@")
    if [ "$keys" != "$(cat "$prepared/.vorn-controls")" ]; then
      WINEPREFIX="$prepared" with_display "$self" setup-in-display "$@" 8>&-
      printf '%s\n' "$keys" >"$prepared/.vorn-controls"
    fi
  fi
  exec 8>&-
}

link_test=(-path './drive_c/*' \( -name '*.dll' -o -name '*.exe' -o -name '*.drv' -o -name '*.sys'
  -o -name '*.ocx' -o -name '*.cpl' -o -name '*.acm' -o -name '*.ax' -o -name '*.tlb'
  -o -name '*.nls' -o -name '*.msstyles' -o -name '*.ds' \))

# Fills the empty directory $1 from the build tree $2's prepared prefix.
fill_copy() {
  local to build=$2
  to=$(realpath "$1")
  local prepared="$build/wineprefix-prepared"
  while :; do
    is_current "$prepared" || prepare "$build"
    exec 8>>"$prepared.lock"
    flock -s 8
    ! is_current "$prepared" || break
    exec 8>&-
  done
  (
    cd "$prepared"
    if cp --reflink=always system.reg "$to/" 2>/dev/null; then
      cp -a --reflink=always . "$to/"
    else
      find . -mindepth 1 -type d -print0 | (cd "$to" && xargs -0 -r mkdir -p)
      find . -type f "${link_test[@]}" -print0 | xargs -0 -r cp -l --parents -t "$to"
      find . \( -type l -o -type f ! \( "${link_test[@]}" \) \) -print0 |
        xargs -0 -r cp -a --parents -t "$to"
    fi
  ) || die "could not copy $prepared to $to"
  exec 8>&-
}

copy() {
  local build=$1 to
  to=$(realpath -m "$2")
  [ ! -e "$to" ] || [ -z "$(ls -A "$to")" ] || die "$to exists and is not empty"
  mkdir -p "$(dirname "$to")"
  local partial
  partial=$(mktemp -d "$to.partial.XXXXXX")
  # shellcheck disable=SC2064 # expanded now: the local is gone when the trap runs
  trap "rm -rf $(printf %q "$partial")" EXIT
  fill_copy "$partial" "$build"
  rmdir "$to" 2>/dev/null || true
  mv -T "$partial" "$to"
  trap - EXIT
}

remove_copy() {
  WINEPREFIX="$1" "$server" -k 2>/dev/null || true
  stop_server "$1"
  rm -rf "$1"
}

run() {
  local build=$1 name=$2
  shift 2
  mkdir -p "$build/wineprefix-copies"
  prefix=$(mktemp -d "$build/wineprefix-copies/$name.XXXXXX")
  # Held while the copy is in use, so clean leaves it. The command does not inherit it:
  # the copy is free once this script is gone, whatever its children do.
  exec 9<"$prefix"
  flock -n 9 || die "$prefix is in use"
  child=""
  trap 'status=$?
        [ -z "$child" ] || kill -TERM "$child" 2>/dev/null || true
        remove_copy "$prefix" || { echo "wine-prefix: could not remove $prefix" >&2; status=1; }
        exit $status' EXIT
  local start="$prefix/.vorn-copy-start"
  : >"$start"
  fill_copy "$prefix" "$build"
  export WINEPREFIX="$prefix"
  "$@" 9<&- &
  child=$!
  local status=0
  wait "$child" || status=$?
  child=""
  # A write through a hard link changes the prepared prefix under every other copy.
  local changed
  changed=$(cd "$prefix" && find . -type f -links +1 -newer "$start" -print)
  if [ -n "$changed" ]; then
    echo "wine-prefix: the run wrote files shared with the prepared prefix (made afresh next time):" >&2
    echo "$changed" >&2
    rm -f "$build/wineprefix-prepared/.vorn-prepared"
    status=1
  fi
  exit "$status"
}

clean() {
  local copies="$1/wineprefix-copies" prefix
  [ -d "$copies" ] || return 0
  for prefix in "$copies"/*; do
    [ -d "$prefix" ] || continue
    (
      exec 9<"$prefix"
      flock -n 9 || exit 0
      remove_copy "$prefix"
    )
  done
  rmdir "$copies" 2>/dev/null || true
}

command=${1:-}
[ $# -eq 0 ] || shift
case "$command" in
  prepare) [ $# -ge 1 ] || die "prepare <build dir> [control.dll ...]" ;;
  copy) [ $# -eq 2 ] || die "copy <build dir> <new prefix>" ;;
  run) [ $# -ge 3 ] || die "run <build dir> <name> <command> [arg...]" ;;
  clean) [ $# -eq 1 ] || die "clean <build dir>" ;;
  setup-in-display) ;;
  *) die "usage: wine-prefix.sh prepare|copy|run|clean <build dir> ..." ;;
esac
if [ "$command" != setup-in-display ]; then
  mkdir -p "$1"
  set -- "$(realpath "$1")" "${@:2}"
fi
"${command//-/_}" "$@"
