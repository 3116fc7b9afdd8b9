#!/bin/bash
# The whole test run: installs what it needs, then builds and tests
#   1. the native Linux build (unit, HTTP, handler and Qt GUI suites),
#   2. the same suites under address and undefined-behaviour sanitizers,
#   3. the Windows cross build under Wine on a virtual display,
#   4. short libFuzzer runs of every fuzz target.
# Exits non-zero at the first failing stage.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${LJ_JOBS:-2}

stage() { printf '\n=== %s ===\n' "$*"; }

stage "dependencies"
scripts/install-deps.sh

stage "native build and tests"
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$jobs"
ctest --preset linux

stage "sanitizer build and tests"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --preset sanitize

stage "Windows build and tests under Wine"
display=":$((90 + RANDOM % 9))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=$display
export LJ_WINEPREFIX="$root/build/windows/wineprefix"
cmake --preset windows -DLJ_STANDIN_EXE="$root/build/linux/tools/standin/lj-standin" >/dev/null
cmake --build --preset windows -j "$jobs"
ctest --preset windows

if [ -x scripts/fuzz-short.sh ]; then
  stage "fuzzing, short runs"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz -j "$jobs"
  scripts/fuzz-short.sh build/fuzz
fi

stage "all stages passed"
