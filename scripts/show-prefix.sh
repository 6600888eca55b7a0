#!/usr/bin/env bash
# Prepares the Wine prefix $WINEPREFIX for the demonstration program:
#  - CJK fonts stand in for 宋体, SimSun and 楷体_GB2312 (else the texts show boxes): for
#    宋体, the dialogs' font, a Song font with its metrics (12 pixels high and 6 wide at
#    9 points), so that the dialogs come out at their templates' size, its underscore
#    raised into that line; for SimSun, through which Wine finds CJK glyphs for the
#    menus, captions and controls, a Song font that also covers Latin text (the first
#    lacks the Western code page, so Wine passes it by);
#  - Wine's own Marlett, which draws the caption buttons, and Tahoma, the face of the
#    platform's own text, in every locale, its bold face linked to the CJK font too;
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

# 宋体's stand-in draws its underscore below its descent, one pixel under the 12-pixel
# line of a 9-point static, which cuts it off ("Vorn_305q_show" read "Vorn 305q show").
# The prefix gets a copy of it with the underscore raised by 43 of its 1024 units (hinted,
# it lands on the line's last row); every other glyph and every metric are the original's.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
raised="$fonts/gbsn00lp-raised-underscore.ttf"
if [ ! -f "$raised" ]; then
  original=$(fc-list -f '%{file}\n' ":family=$song" 2>/dev/null | head -n 1)
  mkdir -p "$fonts"
  if [ -z "$original" ] || ! /usr/bin/python3 "$here/raise-underscore.py" "$original" "$raised.part" \
    "$song Vorn" 43; then
    echo "show-prefix: could not raise the underscore of $song (python3-fonttools):" \
      "underscores of the dialogs' texts are cut off" >&2
  else
    mv "$raised.part" "$raised"
  fi
  rm -f "$raised.part"
fi
[ ! -f "$raised" ] || song="$song Vorn"

managed=N
[ "${VORN_SHOW_WINDOW_MANAGER:-0}" = 1 ] && managed=Y

# Wine loads its own fonts only from the prefix's Fonts folder, which Debian's wineboot
# leaves empty: Marlett draws the caption buttons; Tahoma is the face of the platform's
# own text (boxes, menus, the print and file dialogs), which else falls back to a Song
# face whose Latin letters come out faint and wider than laid out, so labels get cut.
for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
  [ ! -f "$fonts/$font" ] || continue
  found=""
  for dir in /usr/share/wine/fonts /usr/lib/wine/../../share/wine/fonts /opt/wine*/share/wine/fonts; do
    if [ -f "$dir/$font" ]; then
      found="$dir/$font"
      break
    fi
  done
  if [ -n "$found" ]; then
    mkdir -p "$fonts"
    cp "$found" "$fonts/"
  else
    case $font in
      marlett.ttf) lost="caption buttons show letters" ;;
      *) lost="the platform's own text is faint and its labels cut" ;;
    esac
    echo "show-prefix: Wine's font $font is missing (fonts-wine): $lost" >&2
  fi
done

# Wine names a linked face by its file. Its own links for Tahoma serve the regular face
# only: bold captions and the System font would draw boxes for Chinese.
cjk_file=$(fc-list -f '%{file}\n' ":family=$simsun" 2>/dev/null | head -n 1)
cjk_link=$(printf '%s\0\0' "${cjk_file##*/},$simsun" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 |
  tr -s ' \n' ',' | sed 's/^,//; s/,$//')

settings=$(cat <<REG
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"宋体"="$song"
"SimSun"="$simsun"
"楷体_GB2312"="$kai"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]
"MS Shell Dlg"="Tahoma"
"MS Shell Dlg 2"="Tahoma"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
"Tahoma Bold"=hex(7):$cjk_link

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="$managed"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
)
# The marker holds the settings applied, so that a prefix made with other ones gets these.
# Wine resets the dialogs' font substitutes when it starts in a locale of another code
# page (Chinese ones map them to SimSun): the locale is part of the marker, so that the
# settings are applied again after such a start.
marker="$WINEPREFIX/.vorn-show-prefix"
applied=$(printf '%s\n%s\n' "$settings" "$(locale 2>/dev/null)")
if [ "$(cat "$marker" 2>/dev/null)" != "$applied" ]; then
  reg=$(mktemp "${TMPDIR:-/tmp}/vorn-show-prefix.XXXXXX.reg")
  trap 'rm -f "$reg"' EXIT
  # regedit reads Unicode .reg files only as UTF-16LE with a byte-order mark.
  {
    printf '\xff\xfe'
    printf '%s\n' "$settings" | iconv -f UTF-8 -t UTF-16LE
  } >"$reg"
  "$wine" regedit /S "$(winpath "$reg")"
  printf '%s\n' "$applied" >"$marker"
fi

if [ $# -ge 1 ] && [ -n "$1" ]; then
  "$wine" regsvr32 /s "$(winpath "$1")"
fi
