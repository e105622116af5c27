#!/bin/sh
# The group commands of drwa-host on a copy of the example account: listing,
# enabling, the address check and the menu with a recording opener. Deletion is
# tested by plugin_groups_test, which controls the trash and the keyboard.
set -eu
host=$1 example=$2 opener_bin=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$example" "$work/account"
acct="$work/account/account.ini"
run() { "$host" --account "$acct" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# The list, nested group included, and its enabled flags.
out=$(run groups)
echo "$out"
[ "$(echo "$out" | sed -n 1p)" = "$(printf 'index\t掲示板\t既読位置\tenabled')" ] || fail header
echo "$out" | grep -qx "$(printf '2\t雑談\\\\過去ログ\t0\tno')" || fail "nested group"
run disable 0 1
run groups | grep -qx "$(printf '0\tNEWS\t0\tno')" || fail disable
run enable 1 2
run groups | grep -qx "$(printf '2\t雑談\\\\過去ログ\t0\tyes')" || fail enable
# A word that is no group number is a usage error.
if run enable x 2>/dev/null; then fail "enable x"; fi

# The check answers 1 or 0; the exit status tells only a failure.
guid=$(sed -n 's/^GUID=\(.*\)\r$/\1/p' "$work/account/BBS/NEWS/drwa_BBS.ini")
: > "$work/account/BBS/NEWS/cm_test.cmt"
run enable 0
[ "$(run check "Y21fdGVzdA==.$guid@DRWA-PLUGIN.INVALID")" = 1 ] || fail "check match"
[ "$(run --dummy-domain @x.invalid check "Y21fdGVzdA==.$guid@X.invalid")" = 1 ] ||
    fail "check with the host's domain"
# "../../account.ini" as a source name: never looked up.
[ "$(run check "Li4vLi4vYWNjb3VudC5pbmk=.$guid@drwa-plugin.invalid")" = 0 ] || fail "check hostile"
if run check "abc.$guid@drwa-plugin.invalid" >"$work/check.out" 2>"$work/check.err"; then
    fail "uneven source name"
fi
grep -qx 'drwa-host: Uneven size in DecodeToStream.' "$work/check.err" || fail "check error text"

# The menu opens through the recording stand-in; its own output never shows.
log="$work/opened.log"
: > "$log"
: > "$work/account/BBS/NEWS/ErrorLog.txt"
menu_out=$(PATH="$opener_bin:$PATH" DRWA_OPEN_LOG="$log" run menu 2 0 1 2>&1)
[ -z "$menu_out" ] || fail "opener output mixed into ours: $menu_out"
PATH="$opener_bin:$PATH" DRWA_OPEN_LOG="$log" run menu 1 1
i=0
while [ "$(wc -l < "$log")" -lt 2 ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
sort "$log" > "$work/opened.sorted"
printf '1:%s\n1:%s\n' "$work/account/BBS/NEWS/ErrorLog.txt" "$work/account/BBS/雑談" |
    sort | cmp - "$work/opened.sorted" || { cat "$log"; fail "menu opened"; }

echo "host group commands: ok"
