#!/bin/sh
# Makes the private Wine prefix the Windows build runs in, once.
#   scripts/wine-prefix.sh [prefix]     (default: $WINEPREFIX, $LJ_WINEPREFIX or ~/.cache/lanjing-wine)
# A fresh prefix has no CJK font: Chinese drawn through the wide functions
# comes out as boxes. So the faces Wine and our program ask for are pointed
# at WenQuanYi Micro Hei (fonts-wqy-microhei). Crash dialogs are switched off
# so a failing test ends instead of waiting for a click.
set -eu
prefix=${1:-${WINEPREFIX:-${LJ_WINEPREFIX:-$HOME/.cache/lanjing-wine}}}
wine=/usr/lib/wine/wine64
stamp="$prefix/.lanjing-ready"
[ -f "$stamp" ] && exit 0

mkdir -p "$(dirname "$prefix")"
# Wine takes only an absolute prefix.
prefix="$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"
stamp="$prefix/.lanjing-ready"
# Several test processes may start at once: one makes the prefix, the rest wait.
lock="$prefix.lock"
while ! mkdir "$lock" 2>/dev/null; do
  [ -f "$stamp" ] && exit 0
  sleep 0.5
done
trap 'rmdir "$lock" 2>/dev/null || true' EXIT INT TERM
[ -f "$stamp" ] && exit 0

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=C.UTF-8
"$wine" wineboot -i >/dev/null 2>&1

reg="$prefix/lanjing-fonts.reg"
font="WenQuanYi Micro Hei"
link="wqy-microhei.ttc,WenQuanYi Micro Hei"
{
  printf 'REGEDIT4\n\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n'
  for face in SimSun NSimSun "SimSun-ExtB" "Microsoft YaHei" Tahoma "MS Shell Dlg" "MS Shell Dlg 2" \
              "Microsoft Sans Serif" "MS Sans Serif" Arial "Segoe UI"; do
    printf '"%s"="%s"\n' "$face" "$font"
  done
  printf '\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\n'
  for face in "MS Shell Dlg" "MS Shell Dlg 2" Tahoma SimSun "Microsoft Sans Serif"; do
    printf '"%s"="%s"\n' "$face" "$font"
  done
  printf '\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\n'
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI" Arial; do
    printf '"%s"=hex(7):' "$face"
    # REG_MULTI_SZ in UTF-16LE: the link entry, its terminator and the list's.
    printf '%s' "$link" | od -An -tx1 -v | tr -s ' \n' ' ' |
      sed 's/^ //; s/ $//; s/ /,00,/g; s/$/,00,00,00,00,00/'
    printf '\n'
  done
  # No window manager on the test display: Wine draws the frames and captions
  # itself, so screenshots show them and windows sit where the program puts them.
  printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Decorated"="N"\n"Managed"="N"\n'
  printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n'
} >"$reg"
"$wine" regedit /S "$reg" >/dev/null 2>&1
# Debian's Wine does not find its own Marlett, which draws the caption
# buttons: without it they show as the letters "0 1 r".
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
fi
# Let the registry reach the disk before anyone else starts Wine with it.
/usr/lib/wine/wineserver -w
touch "$stamp"
