#!/bin/sh
# drwa-host's account lock and its Maildir delivery, on a copy of the example
# account: a command waits for the one holding the account, --no-wait fails at
# once (drwa-tool import too), and deliver leaves LF mails in new/ only.
set -eu
host=$1 tool=$2 example=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$example" "$work/account"
acct="$work/account/account.ini"
run() { "$host" --account "$acct" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# Deliver: CR LF becomes LF, a lone CR stays; nothing is left in tmp/ or the spool.
mkdir -p "$work/account/spool"
printf 'Subject: one\r\n\r\nline\r\nwith\rCR\r\n' > "$work/account/spool/a.eml"
printf 'Subject: two\r\n\r\nbody\r\n' > "$work/account/spool/b.eml"
run deliver --maildir "$work/Maildir" | grep -qx "2 mails delivered to $work/Maildir" || fail count
[ -z "$(ls "$work/account/spool")" ] || fail "spool not emptied"
[ -z "$(ls "$work/Maildir/tmp")" ] || fail "left in tmp"
[ "$(ls "$work/Maildir/new" | wc -l)" = 2 ] || fail "not in new"
printf 'Subject: one\n\nline\nwith\rCR\n' > "$work/one"
printf 'Subject: two\n\nbody\n' > "$work/two"
for f in "$work/Maildir/new/"*; do
    cmp -s "$f" "$work/one" || cmp -s "$f" "$work/two" || fail "LF line ends: $f"
done
set -- "$work/Maildir/new/"*
if cmp -s "$1" "$2"; then fail "one mail delivered twice"; fi

# Another command holds the account until it writes "released".
flock "$acct.lock" sh -c "touch '$work/held'; sleep 1; touch '$work/released'" &
holder=$!
i=0
while [ ! -e "$work/held" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done

if run --no-wait deliver --maildir "$work/Maildir" 2>"$work/err"; then fail "--no-wait ran"; fi
grep -q "another command is working on this account" "$work/err" || fail "--no-wait message"
if "$tool" import --no-wait --account "$acct" --group 0 "$work/one" 2>"$work/err"; then
    fail "import --no-wait ran"
fi
grep -q "another command is working on this account" "$work/err" || fail "import message"
[ ! -e "$work/released" ] || fail "holder ended too early for the test"

run send >"$work/out" 2>"$work/err" || fail "send after waiting"
[ -e "$work/released" ] || fail "send did not wait"
grep -q "waiting for another command" "$work/err" || fail "waiting note"
wait $holder

# Free again: --no-wait goes straight through.
run --no-wait send >/dev/null || fail "send --no-wait when free"
echo "host lock and deliver: ok"
