#!/bin/sh
# Smoke check of lj-standin: every normal route, one override of each fault
# mode, the proxy form and the control routes, through curl.
#   smoke-test.sh <lj-standin> <port, 0 for any free one> <workdir>
set -u
[ $# -eq 3 ] || { echo "usage: smoke-test.sh <lj-standin> <port> <workdir>" >&2; exit 2; }
exe=$1
port=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
standin="$here/../../scripts/standin.sh"
notes="$here/notes"
export LC_ALL=C

mkdir -p "$work" || exit 2
"$standin" start "$exe" "$port" "$work/run" || exit 1
trap '"$standin" stop "$work/run"' EXIT

# With port 0 the service picks a free one; several builds may run this at once.
port=$(cat "$work/run/port")
base="http://127.0.0.1:$port"
token=qzYxWvUt
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# get <url> [curl options...]: body in $work/body, headers in $work/head,
# status in $status, curl's exit code in $rc.
get() {
    url=$1
    shift
    status=$(curl -s -o "$work/body" -D "$work/head" -w '%{http_code}' "$@" "$url")
    rc=$?
}
expect_status() {
    [ "$status" = "$1" ] || fail "$2: status $status, expected $1"
}
expect_body() {
    printf '%s' "$1" >"$work/expected"
    cmp -s "$work/body" "$work/expected" || fail "$2: body [$(cat "$work/body")], expected [$1]"
}
expect_header() {
    grep -q -i "^$1" "$work/head" || fail "$2: no header line [$1]"
}
control() {
    get "$base/_standin/$1"
    [ "$status" = 200 ] || fail "control $1: status $status ($(cat "$work/body"))"
}

# Note replies, files and the outside pages.
key=0123456789abcdef0123456789abcdef
get "$base/yws/public/note/$key?editorType=0&cstk=$token"
expect_status 200 "note"
expect_body '{"pp":"WEB3d4e5f60718293a4b5c6d7e8f90a1b2c","tl":"会议纪要 2026.txt"}' "note"
expect_header 'Content-Type: application/json; charset=utf-8' "note"
get "$base/yws/public/note/$key%20?editorType=0&cstk=$token"
expect_status 404 "note key with trailing space"
expect_body '{"error":"note not found"}' "unknown note"
get "$base/yws/public/note/$key?editorType=0&cstk=wrongTok"
expect_status 403 "wrong token"

fileUrl="$base/yws/api/personal/file/WEB0a1b2c3d4e5f60718293a4b5c6d7e8f9?method=download&inline=true&shareKey=5f0c1e2d3b4a59687766554433221100"
get "$fileUrl"
expect_status 200 "update file"
cmp -s "$work/body" "$notes/files/update.bin" || fail "update file: bytes differ"
get "$base/yws/api/personal/file/WEB0a1b2c3d4e5f60718293a4b5c6d7e8f9?method=download&inline=true&shareKey=$key"
expect_status 404 "file with another note's key"

get "$base/count1/count.asp?id=20481&sx=1&ys=20"
expect_status 200 "counter page"
printf ';累计访问：123456&#' | iconv -f UTF-8 -t CP936 >"$work/marker1"
printf '今天访问：789&#' | iconv -f UTF-8 -t CP936 >"$work/marker2"
grep -q -F -f "$work/marker1" "$work/body" || fail "counter page: no GBK total"
grep -q -F -f "$work/marker2" "$work/body" || fail "counter page: no GBK today"
get "$base/ic.asp"
printf 'r>您的IP是：[127.0.0.1] 来自：本机局域网</c' | iconv -f UTF-8 -t CP936 >"$work/marker3"
grep -q -F -f "$work/marker3" "$work/body" || fail "IP page: no GBK address line"

get "$base/generate_204"
expect_status 204 "check page"
[ -s "$work/body" ] && fail "check page: has a body"

# Echo keeps header order and spelling; HEAD gets headers only; absolute form.
get "$base/echo/a?b=1" -H 'x-lower: 1' -H 'X-UPPER: 2' --data-binary 'payload'
head -n 1 "$work/body" | grep -q '^POST /echo/a?b=1 HTTP/1.1' || fail "echo: request line"
[ "$(tr -d '\r' <"$work/body" | grep -A1 '^x-lower: 1$' | tail -n 1)" = 'X-UPPER: 2' ] ||
    fail "echo: header lines not as sent"
tail -c 7 "$work/body" | grep -q '^payload$' || fail "echo: body"
# curl -I writes the headers as its output: the echoed request must not follow them.
get "$base/echo" -I
expect_status 200 "HEAD echo"
grep -q '^HEAD /echo' "$work/body" && fail "HEAD echo: has a body"
get "http://no-such-host.invalid:81/echo/p" -x "$base"
head -n 1 "$work/body" | grep -q '^GET http://no-such-host.invalid:81/echo/p HTTP/1.1' || fail "proxy form: request line"

get "$base/_standin/log?path=/echo/a"
head -n 1 "$work/body" | grep -q '^POST /echo/a?b=1 HTTP/1.1' || fail "log: last request"
get "$base/_standin/count?path=/echo/a"
expect_body 1 "count"

# Canned replies, title, cookies, raw header lines, %00 in a body.
control "override?path=/ic.asp&status=500&body=a%00b&type=text/x-odd&cookies=s=1%0AT=2;%20Path=/&header=x-raw:%20v"
get "$base/ic.asp"
expect_status 500 "canned"
[ "$(od -An -tx1 "$work/body" | tr -d ' \n')" = "610062" ] || fail "canned: body with zero byte"
expect_header 'Content-Type: text/x-odd' "canned"
expect_header 'Set-Cookie: s=1' "canned"
expect_header 'Set-Cookie: T=2; Path=/' "canned"
grep -q '^x-raw: v' "$work/head" || fail "canned: raw header spelling"
control "override?path=/yws/public/note/$key&title=%E6%96%B0%22%7D"
get "$base/yws/public/note/$key?editorType=0&cstk=$token"
expect_body '{"pp":"WEB3d4e5f60718293a4b5c6d7e8f90a1b2c","tl":"新"}"}' "title override"

# One override of each mode.
control reset
control "override?path=/m/close&mode=close"
get "$base/m/close"
[ "$rc" = 52 ] || fail "close: curl exit $rc, expected 52 (empty reply)"

control "override?path=/m/silent&mode=silent"
curl -s -m 3 "$base/m/silent" >/dev/null &
silent=$!
sleep 0.3
get "$base/ic.asp" -m 2
expect_status 200 "other request while one is silent"
wait $silent
[ $? = 28 ] || fail "silent: curl did not time out"

control "override?path=/m/stall&mode=stall&after=3&ms=300&body=0123456789"
get "$base/m/stall"
expect_body '0123456789' "stall"

control "override?path=/m/cut&mode=cut&after=4&body=0123456789"
get "$base/m/cut"
[ "$rc" = 18 ] || fail "cut: curl exit $rc, expected 18 (partial)"
expect_body '0123' "cut"

control "override?path=/m/big&mode=bigheaders&size=6000"
get "$base/m/big"
expect_status 200 "bigheaders on a path of its own"
[ "$(grep '^X-Pad-' "$work/head" | wc -c)" = 6000 ] || fail "bigheaders: not 6000 bytes of header lines"

control "override?path=/m/huge&mode=hugebody&size=20000000"
get "$base/m/huge"
[ "$(wc -c <"$work/body")" = 20000000 ] || fail "hugebody: size"
[ "$(head -c 30 "$work/body")" = "abcdefghijklmnopqrstuvwxyzabcd" ] || fail "hugebody: pattern"

control "override?path=/m/redirect&mode=redirect&code=301&to=/ic.asp"
get "$base/m/redirect"
expect_status 301 "redirect"
expect_header 'Location: /ic.asp' "redirect"
get "$base/m/redirect" -L
grep -q -F -f "$work/marker3" "$work/body" || fail "redirect: target not reached"

control "override?path=/m/loop&mode=redirectloop"
get "$base/m/loop?x=1" -L --max-redirs 5
[ "$rc" = 47 ] || fail "redirectloop: curl exit $rc, expected 47 (too many redirects)"
get "$base/_standin/count?path=/m/loop"
expect_body 6 "redirectloop: request count"

control "override?path=/m/chunked&mode=chunked&after=3&body=0123456789"
get "$base/m/chunked"
expect_header 'Transfer-Encoding: chunked' "chunked"
expect_body '0123456789' "chunked"

control "override?path=/m/garbage&mode=garbage&body=HTTP/1.1%20299%20Odd%0D%0A%0D%0Araw"
get "$base/m/garbage" --http1.1
expect_status 299 "garbage"

# A bad override is refused; reset clears the log.
get "$base/_standin/override?path=/x&mode=nosuch"
expect_status 400 "unknown mode"
control reset
get "$base/ic.asp"
expect_status 200 "after reset"
get "$base/_standin/count?path=/echo/a"
expect_body 0 "count after reset"

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "stand-in smoke check passed"
