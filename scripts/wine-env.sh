# Sourced: the Wine settings every run of ours uses. A missing prefix is made on first use:
# in a build tree as a cheap copy of the tree's prepared prefix (scripts/wine-prefix.sh),
# elsewhere (or with VORN_WINE_BOOT set) booted.
export WINEPREFIX="${WINEPREFIX:-$PWD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64
# Wine names files in the locale's character set: without a UTF-8 one (a fresh root shell
# has no LANG) it cannot make a file with a Chinese name at all.
if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then
  export LC_ALL=C.UTF-8
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  # Serialise the first start: ctest launches many tests at once.
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      build=$(dirname "$WINEPREFIX")
      if [ -z "${VORN_WINE_BOOT:-}" ] && [ -f "$build/CMakeCache.txt" ] &&
        { [ ! -e "$WINEPREFIX" ] || [ -z "$(ls -A "$WINEPREFIX")" ]; }; then
        "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh" copy "$build" "$WINEPREFIX" 9>&-
      else
        echo "Making the Wine prefix $WINEPREFIX (about a minute)..." >&2
        /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
        /usr/lib/wine/wineserver -w || true
      fi
    fi
  ) 9>"$WINEPREFIX.lock"
fi
