#!/usr/bin/env bash
# Prepares the Wine prefix $WINEPREFIX for the demonstration program:
#  - the CJK font stands in for 宋体, 楷体_GB2312 and SimSun (else the texts show boxes);
#  - no window manager: closing a top-level window does not stall for 2 s, and Wine
#    draws the captions, so titles show in screenshots;
#  - no crash dialog: a crashing program ends instead of waiting for a click;
#  - with a DLL path as argument, the control registered from there.
# Run it with the display the programs will use: a prefix whose desktop started without
# one cannot show windows later.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
wine=/usr/lib/wine/wine64
winpath() { echo "Z:$(realpath "$1" | sed 's|/|\\|g')"; }

if ! fc-list : family 2>/dev/null | grep -c "WenQuanYi Micro Hei" >/dev/null; then
  echo "show-prefix: the font WenQuanYi Micro Hei is missing (scripts/install-deps.sh installs it)" >&2
fi

marker="$WINEPREFIX/.vorn-show-prefix"
if [ ! -f "$marker" ]; then
  reg=$(mktemp "${TMPDIR:-/tmp}/vorn-show-prefix.XXXXXX.reg")
  trap 'rm -f "$reg"' EXIT
  # regedit reads Unicode .reg files only as UTF-16LE with a byte-order mark.
  {
    printf '\xff\xfe'
    iconv -f UTF-8 -t UTF-16LE <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"宋体"="WenQuanYi Micro Hei"
"楷体_GB2312"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
  } >"$reg"
  "$wine" regedit /S "$(winpath "$reg")"
  touch "$marker"
fi

if [ $# -ge 1 ] && [ -n "$1" ]; then
  "$wine" regsvr32 /s "$(winpath "$1")"
fi
