#!/bin/sh
# Starts and stops the stand-in note service for test runs.
#   standin.sh start <exe> <port> <rundir>   background service on 127.0.0.1:<port>;
#                                            <rundir>/pid, <rundir>/log, <rundir>/port
#   standin.sh stop <rundir>                 ends it; fine if it is already gone
set -u

die() {
    echo "standin.sh: $*" >&2
    exit 1
}

# A process that has ended but is not yet reaped counts as gone: nobody may
# reap our orphaned service promptly.
alive() {
    kill -0 "$1" 2>/dev/null || return 1
    state=$(sed -n 's/^[0-9]* (.*) \([A-Z]\).*/\1/p' "/proc/$1/stat" 2>/dev/null)
    [ "$state" != Z ]
}

stop_pid() {
    pid=$1
    alive "$pid" || return 0
    kill -TERM "$pid" 2>/dev/null
    i=0
    while alive "$pid" && [ $i -lt 50 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    alive "$pid" && kill -KILL "$pid" 2>/dev/null
    return 0
}

# A service left behind by an interrupted run, if its pid is still ours.
stop_recorded() {
    rundir=$1
    [ -f "$rundir/pid" ] || return 0
    pid=$(cat "$rundir/pid" 2>/dev/null)
    case "$pid" in
        '' | *[!0-9]*) ;;
        *)
            if [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q 'lj-standin'; then
                stop_pid "$pid"
            fi
            ;;
    esac
    rm -f "$rundir/pid" "$rundir/port"
}

start() {
    [ $# -eq 3 ] || die "usage: standin.sh start <exe> <port> <rundir>"
    exe=$1
    port=$2
    rundir=$3
    [ -x "$exe" ] || die "not an executable: $exe"
    mkdir -p "$rundir" || die "cannot create $rundir"
    stop_recorded "$rundir"

    # Output goes to the log, not to our caller: CTest waits for its pipes to close.
    "$exe" --port "$port" </dev/null >"$rundir/log" 2>&1 &
    pid=$!
    echo "$pid" >"$rundir/pid"

    i=0
    while [ $i -lt 100 ]; do
        if grep -q '^LISTENING ' "$rundir/log" 2>/dev/null; then
            sed -n 's/^LISTENING \([0-9]*\).*/\1/p' "$rundir/log" | head -n 1 >"$rundir/port"
            exit 0
        fi
        if ! alive "$pid"; then
            rm -f "$rundir/pid"
            cat "$rundir/log" >&2
            if grep -q 'in use' "$rundir/log"; then
                die "port $port on 127.0.0.1 is already taken; stop whatever listens there (ss -ltnp 'sport = :$port')"
            fi
            die "the service ended before it listened (log: $rundir/log)"
        fi
        sleep 0.1
        i=$((i + 1))
    done
    stop_pid "$pid"
    rm -f "$rundir/pid"
    die "the service did not listen within 10 s (log: $rundir/log)"
}

stop() {
    [ $# -eq 1 ] || die "usage: standin.sh stop <rundir>"
    stop_recorded "$1"
    exit 0
}

[ $# -ge 1 ] || die "usage: standin.sh start <exe> <port> <rundir> | stop <rundir>"
command=$1
shift
case "$command" in
    start) start "$@" ;;
    stop) stop "$@" ;;
    *) die "unknown command: $command" ;;
esac
