#!/bin/sh
# Runs a cross-built Windows program under Wine with a private prefix, made
# on first use (scripts/wine-prefix.sh). Used by CTest as the cross-compiling
# emulator and by scripts/run-wine.sh.
set -e
: "${WINEPREFIX:=${LJ_WINEPREFIX:-$HOME/.cache/lanjing-wine}}"
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine names Unix files in the locale's character set; ours carry Chinese.
export LANG=C.UTF-8
"$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"
exec /usr/lib/wine/wine64 "$@"
