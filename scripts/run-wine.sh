#!/bin/bash
# Runs the Windows build under Wine against the stand-in note service.
#   scripts/run-wine.sh            build what is missing, start the service, open the program
# Without a DISPLAY it starts a virtual screen (Xvfb) and says how to look at it.
# The service is stopped when the program ends. LJ_WINDOWS_BUILD (build dir),
# LJ_STANDIN_EXE and LJ_STANDIN_PORT override the defaults (build/windows, the
# native build's service, 28936) for a build configured with another port.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${LJ_JOBS:-2}
port=${LJ_STANDIN_PORT:-28936}
standin=${LJ_STANDIN_EXE:-$root/build/linux/tools/standin/lj-standin}
build=${LJ_WINDOWS_BUILD:-$root/build/windows}
rundir="$build/standin-run-interactive"

if [ ! -x "$standin" ]; then
  cmake --preset linux >/dev/null
  cmake --build --preset linux -j "$jobs" --target lj-standin
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake --preset windows -B "$build" -DLJ_STANDIN_EXE="$standin" >/dev/null
fi
cmake --build "$build" -j "$jobs" --target lanjing_win32
exe=$(ls "$build"/*.exe | head -n 1)

cleanup() {
  scripts/standin.sh stop "$rundir" >/dev/null 2>&1 || true
  if [ -n "${xvfb_pid:-}" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=":$((90 + RANDOM % 9))"
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
  echo "No display: the program runs on the virtual screen $DISPLAY (look with: import -display $DISPLAY -window root shot.png)"
fi

mkdir -p "$rundir"
scripts/standin.sh start "$standin" "$port" "$rundir"
echo "Stand-in note service on http://127.0.0.1:$port"
echo "Sample share link to paste: http://127.0.0.1:$port/noteshare?id=0123456789abcdef0123456789abcdef"
export LJ_WINEPREFIX="${LJ_WINEPREFIX:-$build/wineprefix}"
start=$(date +%s%N)
set +e
scripts/wine-run.sh "$exe"
code=$?
set -e
echo "program ended with exit code $code after $(( ($(date +%s%N) - start) / 1000000 )) ms"
exit "$code"
