#!/bin/bash
# Short libFuzzer runs of every fuzz target: each one starts from its seed
# corpus (fuzz/corpus/<target>/, never written to) and runs a few seconds.
# Fails when a target finds a crash, a broken invariant or a leak, or when a
# target in fuzz/ was not built.
#   scripts/fuzz-short.sh <builddir> [seconds per target, default 5]
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:?usage: fuzz-short.sh <builddir> [seconds]}
seconds=${2:-5}
bin="$build/fuzz"
work="$build/fuzz-short"
mkdir -p "$work"

status=0
for src in fuzz/fuzz_*.cpp; do
  name=$(basename "$src" .cpp)
  exe="$bin/$name"
  if [ ! -x "$exe" ]; then
    echo "FAIL $name: not built ($exe missing)"
    status=1
    continue
  fi
  seeds="$root/fuzz/corpus/$name"
  found="$work/$name.corpus"
  rm -rf "$found"
  mkdir -p "$found" "$work/artifacts"
  log="$work/$name.log"
  # New inputs go to the first directory, so the committed seeds stay as they are.
  if "$exe" -max_total_time="$seconds" -timeout=60 -print_final_stats=1 \
       -artifact_prefix="$work/artifacts/$name-" "$found" "$seeds" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    echo "ok   $name: ${runs:-?} runs in ${seconds}s"
  else
    echo "FAIL $name: see $log"
    grep -E 'ERROR|invariant broken|SUMMARY|Test unit written' "$log" | head -5
    status=1
  fi
done
exit $status
