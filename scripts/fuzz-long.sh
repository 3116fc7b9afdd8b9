#!/bin/bash
# A long libFuzzer campaign of one target: ten million executions unless told
# otherwise, starting from its committed seeds. New inputs and any crash go
# under <builddir>/fuzz-long/, never into fuzz/corpus/; a crash found there is
# to be copied into the seeds as a regression case.
#   scripts/fuzz-long.sh <builddir> <target> [runs] [extra libFuzzer flags]
# e.g. scripts/fuzz-long.sh build/fuzz fuzz_http_response 10000000 -fork=2 -max_len=8192
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: fuzz-long.sh <builddir> <target> [runs] [flags...]}
name=${2:?usage: fuzz-long.sh <builddir> <target> [runs] [flags...]}
runs=${3:-10000000}
shift $(($# < 3 ? $# : 3))
work="$build/fuzz-long/$name"
# Two allocator settings for speed, neither weakening a check:
# - a 32 MB quarantine instead of ASan's 256 MB keeps freed memory warm, and a
#   use after free is still caught for the thousands of allocations after it;
# - huge pages for the shadow: a reply announcing a long body makes the layer
#   reserve up to a gigabyte, whose shadow ASan poisons byte by byte, and on
#   small pages that cost a page fault per 4 KB (three times the run time).
export ASAN_OPTIONS="quarantine_size_mb=32:no_huge_pages_for_shadow=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
mkdir -p "$work/corpus" "$work/artifacts"
"$build/fuzz/$name" -runs="$runs" -timeout=60 -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
  "$@" "$work/corpus" "fuzz/corpus/$name" 2>&1 | tee "$work/log.txt"
