#!/usr/bin/env bash
# Prepares the Wine prefix $WINEPREFIX for the demonstration program:
#  - CJK fonts stand in for 宋体, SimSun and 楷体_GB2312 (else the texts show boxes): for
#    宋体, the dialogs' font, a Song font with its metrics (12 pixels high and 6 wide at
#    9 points), so that the dialogs come out at their templates' size; for SimSun, through
#    which Wine finds CJK glyphs for the menus, captions and controls, a Song font that
#    also covers Latin text (the first lacks the Western code page, so Wine passes it by);
#  - Wine's own Marlett, which draws the caption buttons;
#  - no window manager (unless VORN_SHOW_WINDOW_MANAGER=1, for a run on a person's
#    display): closing a top-level window does not stall for 2 s, and Wine draws the
#    captions, so titles show in screenshots;
#  - no crash dialog: a crashing program ends instead of waiting for a click;
#  - with a DLL path as argument, the control registered from there.
# Run it with the display the programs will use: a prefix whose desktop started without
# one cannot show windows later.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
wine=/usr/lib/wine/wine64
winpath() { echo "Z:$(realpath "$1" | sed 's|/|\\|g')"; }

song="AR PL SungtiL GB"
simsun="AR PL UMing CN"
kai="AR PL KaitiM GB"
for font in "$song" "$simsun" "$kai"; do
  if ! fc-list : family 2>/dev/null | grep -qF "$font"; then
    echo "show-prefix: the font $font is missing (scripts/install-deps.sh installs it)" >&2
  fi
done

managed=N
[ "${VORN_SHOW_WINDOW_MANAGER:-0}" = 1 ] && managed=Y

# Wine loads its own fonts only from the prefix's Fonts folder, which Debian's wineboot
# leaves empty.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -f "$fonts/marlett.ttf" ]; then
  marlett=""
  for dir in /usr/share/wine/fonts /usr/lib/wine/../../share/wine/fonts /opt/wine*/share/wine/fonts; do
    if [ -f "$dir/marlett.ttf" ]; then
      marlett="$dir/marlett.ttf"
      break
    fi
  done
  if [ -n "$marlett" ]; then
    mkdir -p "$fonts"
    cp "$marlett" "$fonts/"
  else
    echo "show-prefix: Wine's font Marlett is missing (fonts-wine): caption buttons show letters" >&2
  fi
fi

settings=$(cat <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"宋体"="$song"
"SimSun"="$simsun"
"楷体_GB2312"="$kai"

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="$managed"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
)
# The marker holds the settings applied, so that a prefix made with other ones gets these.
marker="$WINEPREFIX/.vorn-show-prefix"
if [ "$(cat "$marker" 2>/dev/null)" != "$settings" ]; then
  reg=$(mktemp "${TMPDIR:-/tmp}/vorn-show-prefix.XXXXXX.reg")
  trap 'rm -f "$reg"' EXIT
  # regedit reads Unicode .reg files only as UTF-16LE with a byte-order mark.
  {
    printf '\xff\xfe'
    printf '%s\n' "$settings" | iconv -f UTF-8 -t UTF-16LE
  } >"$reg"
  "$wine" regedit /S "$(winpath "$reg")"
  printf '%s\n' "$settings" >"$marker"
fi

if [ $# -ge 1 ] && [ -n "$1" ]; then
  "$wine" regsvr32 /s "$(winpath "$1")"
fi
