#!/bin/sh
# The group commands of drwa-host.exe under Wine on a copy of the example
# account in a folder whose name holds 表 (its second byte in CP932 is "\"):
# the list with Japanese and nested folder names, by name and by ordinal,
# enabling, the address check, and a delete that nobody confirms.
set -eu
wine_run=$1 host=$2 example=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
win() { printf 'Z:%s' "$1" | tr / '\\'; }
dir="$work/アカウント表"
cp -r "$example" "$dir"
acct=$(win "$dir/account.ini")
# A host that never ends (the library blocking its exit) fails here, not at
# the test's time limit.
run() {
    status=0
    timeout 60 "$wine_run" "$host" --account "$acct" "$@" || status=$?
    [ $status != 124 ] || echo "FAIL: drwa-host.exe $* did not end within 60 s" >&2
    return $status
}

out=$(run groups)
echo "$out"
[ "$(echo "$out" | sed -n 1p)" = "$(printf 'index\t掲示板\t既読位置\tenabled')" ] || fail header
echo "$out" | grep -qx "$(printf '1\t雑談\t0\tyes')" || fail "Japanese group"
echo "$out" | grep -qx "$(printf '2\t雑談\\\\過去ログ\t0\tno')" || fail "nested group"
[ "$(run --by-ordinal groups)" = "$out" ] || fail "groups by ordinal"

run disable 0 1
run groups | grep -qx "$(printf '0\tNEWS\t0\tno')" || fail disable
run --by-ordinal enable 1 2
run groups | grep -qx "$(printf '2\t雑談\\\\過去ログ\t0\tyes')" || fail "enable by ordinal"
grep -q '^BBSFOLDER=1' "$dir/BBS/雑談/過去ログ/drwa_BBS.ini" || fail "enabled flag on disk"
if run enable x 2>/dev/null; then fail "enable x"; fi

# The check answers 1 or 0; the exit status tells only a failure.
guid=$(sed -n 's/^GUID=\(.*\)\r$/\1/p' "$dir/BBS/雑談/drwa_BBS.ini")
[ -n "$guid" ] || fail "no GUID"
: > "$dir/BBS/雑談/cm_test.cmt"
[ "$(run check "Y21fdGVzdA==.$guid@DRWA-PLUGIN.INVALID")" = 1 ] || fail "check match"
[ "$(run --dummy-domain @x.invalid check "Y21fdGVzdA==.$guid@X.invalid")" = 1 ] ||
    fail "check with the host's domain"
run disable 1
[ "$(run check "Y21fdGVzdA==.$guid@drwa-plugin.invalid")" = 0 ] || fail "check disabled"
if run check "abc.$guid@drwa-plugin.invalid" > "$work/out" 2> "$work/err"; then
    fail "uneven source name"
fi
grep -qx 'drwa-host: Uneven size in DecodeToStream.' "$work/err" || fail "check error text"

# Without a screen the question goes to the terminal: no answer keeps the
# groups, "y" deletes (into the recycle bin) and the list is read again.
(unset DISPLAY WAYLAND_DISPLAY; run delete 1 < /dev/null) > "$work/out" 2> "$work/err" ||
    fail "delete status"
grep -qx 'groups: 3' "$work/out" || fail "delete count"
[ -f "$dir/BBS/雑談/drwa_BBS.ini" ] || fail "deleted without an answer"
(unset DISPLAY WAYLAND_DISPLAY; echo y | run delete 2) > "$work/out" 2> "$work/err" ||
    fail "delete with y"
grep -qx 'groups: 2' "$work/out" || fail "count after delete"
[ ! -e "$dir/BBS/雑談/過去ログ" ] || fail "nested group still there"
[ -f "$dir/BBS/雑談/drwa_BBS.ini" ] || fail "parent group deleted"
echo "host group commands under Wine: ok"
