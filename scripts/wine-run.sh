#!/bin/sh
# Runs a cross-built Windows program under Wine with a private prefix.
# Used by CTest as the cross-compiling emulator.
set -e
: "${WINEPREFIX:=${LJ_WINEPREFIX:-$HOME/.cache/lanjing-wine}}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec /usr/lib/wine/wine64 "$@"
