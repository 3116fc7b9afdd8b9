#!/bin/sh
# The web benchmarks end to end: a private stand-in on a free port, bench_web,
# then `curl -s -o /dev/null` on the same 256 MB body under hyperfine.
#   bench/web/run.sh <build dir>       e.g. build/linux
set -eu
build=${1:?usage: run.sh <build dir>}
root=$(cd "$(dirname "$0")/../.." && pwd)
rundir=$build/bench-web-run
"$root/scripts/standin.sh" start "$build/tools/standin/lj-standin" 0 "$rundir"
trap '"$root/scripts/standin.sh" stop "$rundir"' EXIT
port=$(cat "$rundir/port")
export LJ_BENCH_PORT=$port

"$build/bench/web/bench_web" --benchmark_filter=SmallReply
# One large body per process, so each peak RSS is that body's alone.
for b in Huge_httpRequest Huge_httpGetBytes Huge_curlEasy Huge_curlEasyKeep; do
    "$build/bench/web/bench_web" --benchmark_filter="^$b/"
done
curl -s -o /dev/null "http://127.0.0.1:$port/_standin/override?path=%2Fhuge&status=200&mode=hugebody&size=268435456"
hyperfine -N -w 1 -r 5 "curl -s -o /dev/null http://127.0.0.1:$port/huge"
