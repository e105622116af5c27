#!/bin/sh
# receive and send of drwa-host.exe under Wine, from the host's side: the
# status texts on standard output in UTF-8, the raw CP932 texts in a trace
# file with a Japanese name, the library's error on standard error with exit
# status 1, and the account lock file beside the account. Receiving through
# real plugins is tested with the DLL's own tests.
set -eu
wine_run=$1 host=$2 example=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
win() { printf 'Z:%s' "$1" | tr / '\\'; }
dir="$work/アカウント表"
cp -r "$example" "$dir"
# A host that never ends (the library blocking its exit) fails here, not at
# the test's time limit.
run() {
    status=0
    timeout 60 "$wine_run" "$host" --account "$(win "$dir/account.ini")" "$@" || status=$?
    [ $status != 124 ] || echo "FAIL: drwa-host.exe $* did not end within 60 s" >&2
    return $status
}
trace="$work/トレース.txt"

# Group 0's board plugin is not installed: the receive fails and says why.
if run --trace "$(win "$trace")" receive 0 > "$work/out" 2> "$work/err"; then
    fail "receive without a plugin"
fi
cat "$work/out" "$work/err"
[ "$(cat "$work/out")" = "アカウント表の受信を開始しました" ] || fail "receive status text"
grep -q '^drwa-host: .' "$work/err" || fail "receive error text"
printf 'アカウント表の受信を開始しました\n' | iconv -f UTF-8 -t CP932 | cmp - "$trace" ||
    fail "trace bytes"
[ -f "$dir/account.ini.lock" ] || fail "no lock file"

run disable 0 1
run receive > "$work/out" || fail "receive of no enabled group"
printf 'アカウント表の受信を開始しました\nアカウント表の受信は完了しました\n' |
    cmp - "$work/out" || fail "receive output"

run --by-ordinal send > "$work/out" || fail "send of an empty outbox"
cat "$work/out"
[ "$(sed -n 1p "$work/out")" = 送信処理開始 ] || fail "send start"
[ "$(sed -n '$p' "$work/out")" = 送信処理終了 ] || fail "send end"
echo "host receive and send under Wine: ok"
