#!/usr/bin/env bash
# scripts/wine-prefix.sh and the prefix wine-env.sh makes in a build tree:
#   wine_prefix_test.sh <build dir> <registered ProgID>
# Copies, runs and clean-up against a small stand-in prepared prefix in a scratch build
# tree; then, in a copy of the build tree's real prepared prefix, what Wine sees there and
# that its registry writes stay in the copy.
set -uo pipefail
build=$(realpath "$1")
progid=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scripts=$(realpath "$here/../../scripts")
tool="$scripts/wine-prefix.sh"
real="$build/wineprefix-prepared"

passed=0 failed=0
check() {  # check <what> <command...>
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}
same_inode() { [ "$(stat -c %i "$1")" = "$(stat -c %i "$2")" ]; }
own_copy() { ! same_inode "$1" "$2" && cmp -s "$1" "$2"; }
no_copies() { [ -z "$(ls -A "$1/wineprefix-copies" 2>/dev/null)" ]; }
wait_for() {  # wait_for <file>: up to 30 s
  local i
  for ((i = 0; i < 300; i++)); do
    [ -e "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

[ -f "$real/.vorn-prepared" ] || { echo "no prepared prefix in $build"; exit 1; }
scratch=$(mktemp -d "$build/wineprefix-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# A scratch build tree whose prepared prefix counts as current for this Wine.
tree="$scratch/tree"
fake="$tree/wineprefix-prepared"
mkdir -p "$fake/drive_c/windows/system32" "$fake/drive_c/windows/temp" \
  "$fake/drive_c/users/me/AppData" "$fake/dosdevices"
cp "$real/.vorn-prepared" "$real/wineserver" "$fake/"
: >"$tree/CMakeCache.txt"
: >"$fake/.vorn-controls"
for file in system.reg user.reg userdef.reg .update-timestamp drive_c/windows/system32/kernel32.dll \
  drive_c/windows/notepad.exe drive_c/windows/win.ini drive_c/users/me/AppData/settings.txt; do
  echo "$file $RANDOM" >"$fake/$file"
done
ln -s ../drive_c "$fake/dosdevices/c:"
ln -s / "$fake/dosdevices/z:"

# A lasting copy: modules shared, what Wine or a program rewrites its own.
"$tool" copy "$tree" "$tree/wineprefix"
copy="$tree/wineprefix"
check "copy made" [ -f "$copy/system.reg" ]
for file in drive_c/windows/system32/kernel32.dll drive_c/windows/notepad.exe; do
  check "$file shared" same_inode "$fake/$file" "$copy/$file"
done
for file in system.reg user.reg userdef.reg .update-timestamp drive_c/windows/win.ini \
  drive_c/users/me/AppData/settings.txt; do
  check "$file copied for real" own_copy "$fake/$file" "$copy/$file"
done
check "drive link kept" [ "$(readlink "$copy/dosdevices/c:")" = ../drive_c ]
check "root link kept" [ "$(readlink "$copy/dosdevices/z:")" = / ]
check "empty folder kept" [ -d "$copy/drive_c/windows/temp" ]
check "no partial copy left" [ -z "$(ls -d "$tree"/wineprefix.partial.* 2>/dev/null)" ]
echo mine >"$copy/drive_c/users/me/AppData/settings.txt"
check "copy over a prefix refused" bash -c "! '$tool' copy '$tree' '$copy' 2>/dev/null"
check "refused copy left alone" grep -qx mine "$copy/drive_c/users/me/AppData/settings.txt"

# wine-env.sh makes a missing prefix of a build tree as a copy.
(
  export WINEPREFIX="$tree/wineprefix-env"
  . "$scripts/wine-env.sh"
) >/dev/null
check "wine-env.sh copies in a build tree" \
  same_inode "$fake/drive_c/windows/notepad.exe" "$tree/wineprefix-env/drive_c/windows/notepad.exe"
check "wine-env.sh copy has its own registry" own_copy "$fake/user.reg" "$tree/wineprefix-env/user.reg"

# A run's copy exists while the command runs and is gone after it, whatever the end.
seen="$scratch/seen"
"$tool" run "$tree" ok bash -c 'echo "$WINEPREFIX" >"$0"' "$seen"
check "run succeeds" [ $? -eq 0 ]
check "run had a copy under wineprefix-copies" grep -q "^$tree/wineprefix-copies/ok\." "$seen"
check "run's copy removed" no_copies "$tree"
"$tool" run "$tree" fails bash -c 'exit 3'
check "run passes the exit code on" [ $? -eq 3 ]
check "failed run's copy removed" no_copies "$tree"

"$tool" run "$tree" stopped bash -c 'echo "$WINEPREFIX" >"$0.prefix"; echo $$ >"$0"; exec sleep 60' \
  "$scratch/stopped" &
runner=$!
check "stopped run started" wait_for "$scratch/stopped"
kill -TERM "$runner"
wait "$runner"
check "stopped run says so" [ $? -eq 143 ]
check "stopped run's copy removed" [ ! -e "$(cat "$scratch/stopped.prefix")" ]
check "stopped run's command ended" bash -c "! kill -0 $(cat "$scratch/stopped") 2>/dev/null"

# A run killed outright leaves its copy to clean, which spares a run still going.
"$tool" run "$tree" killed bash -c 'echo "$WINEPREFIX" >"$0.prefix"; echo $$ >"$0"; exec sleep 60' \
  "$scratch/killed" &
killed=$!
"$tool" run "$tree" going bash -c 'echo "$WINEPREFIX" >"$0"; while [ ! -f "$0.go" ]; do sleep 0.1; done' \
  "$scratch/going" &
going=$!
check "killed run started" wait_for "$scratch/killed"
check "going run started" wait_for "$scratch/going"
kill -KILL "$killed"
wait "$killed" 2>/dev/null
kill "$(cat "$scratch/killed")"
check "killed run left its copy" [ -d "$(cat "$scratch/killed.prefix")" ]
"$tool" clean "$tree"
check "clean removed the killed run's copy" [ ! -e "$(cat "$scratch/killed.prefix")" ]
check "clean spared the going run's copy" [ -d "$(cat "$scratch/going")" ]
touch "$scratch/going.go"
wait "$going"
check "going run ended well" [ $? -eq 0 ]
check "going run's copy removed" no_copies "$tree"

# A write through a shared file fails the run and has the prepared prefix made afresh.
"$tool" run "$tree" writer bash -c 'echo x >>"$WINEPREFIX/drive_c/windows/notepad.exe"' 2>"$scratch/said"
check "write through a shared file fails the run" [ $? -ne 0 ]
check "and is named" grep -q "notepad.exe" "$scratch/said"
check "and the prepared prefix is due afresh" [ ! -f "$fake/.vorn-prepared" ]

# The real prepared prefix: settings and control seen in a copy, registry writes kept there.
before=$(cat "$real"/*.reg | md5sum)
"$tool" run "$build" registry bash -c '
  . "$0/wine-env.sh"
  reg() { /usr/lib/wine/wine64 reg "$@" | tr -d "\r"; }
  reg query "HKCU\Software\Wine\X11 Driver" /v Managed >"$1/managed"
  reg query "HKCR\\$2\CLSID" >"$1/class"
  reg add "HKCU\Software\VornPrefixTest" /v copy /d only /f >/dev/null
  reg add "HKLM\Software\VornPrefixTest" /v copy /d only /f >/dev/null
  /usr/lib/wine/wineserver -w
  cat "$WINEPREFIX/user.reg" >"$1/user.reg"
  cat "$WINEPREFIX/system.reg" >"$1/system.reg"' \
  "$scripts" "$scratch" "$progid"
check "run in the real prefix succeeds" [ $? -eq 0 ]
check "the program's settings are there" grep -Eq 'Managed\s+REG_SZ\s+N' "$scratch/managed"
check "the control is registered" grep -q '{' "$scratch/class"
check "the copy's user registry took the write" grep -q VornPrefixTest "$scratch/user.reg"
check "the copy's system registry took the write" grep -q VornPrefixTest "$scratch/system.reg"
check "the prepared registry is unchanged" [ "$(cat "$real"/*.reg | md5sum)" = "$before" ]

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
