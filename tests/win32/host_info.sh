#!/bin/sh
# drwa-host.exe under Wine loads drwa_plugin.dll and shows its identity in
# UTF-8 with LF line ends, as the Linux host does; a host that keeps only
# ordinals sees the same; by name and by ordinal give the same functions; a
# DLL in a folder with a Japanese name loads through the wide API.
set -eu
wine_run=$1 host=$2 account=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
win() { printf 'Z:%s' "$1" | tr / '\\'; }
# A host that never ends (the library blocking its exit) fails here, not at
# the test's time limit.
run() {
    status=0
    timeout 60 "$wine_run" "$host" "$@" || status=$?
    [ $status != 124 ] || echo "FAIL: drwa-host.exe $* did not end within 60 s" >&2
    return $status
}

run --account "$(win "$account")" info > "$work/info"
cat "$work/info"
grep -qx 'name:     DRWAプラグインプラグイン (24 bytes)' "$work/info" || fail name
grep -qx 'version:  0.9β (5 bytes)' "$work/info" || fail version
grep -qx 'threads:  1' "$work/info" || fail threads
grep -q '6  format 1  width 120  既読位置' "$work/info" || fail columns
grep -qx 'menu (89 bytes):' "$work/info" || fail menu
! grep -q "$(printf '\r')" "$work/info" || fail "CR in the output"
run --by-ordinal --account "$(win "$account")" info | cmp - "$work/info" || fail "by ordinal"

# Every export of the table by name and by ordinal: the same function. The
# dialogs' exports join the DLL with its dialog views.
run exports > "$work/exports" || { cat "$work/exports"; fail exports; }
cat "$work/exports"
[ "$(wc -l < "$work/exports")" = 21 ] || fail "export count"
! grep -vE ' ok$|^ *(3|10)  Edit[A-Za-z]+ +absent$' "$work/exports" || fail "exports"

plugins="$work/プラグイン表"
mkdir "$plugins"
cp "$(dirname "$host")/drwa_plugin.dll" "$plugins/"
run --lib "$(win "$plugins/drwa_plugin.dll")" info | grep -qx 'version:  0.9β (5 bytes)' ||
    fail "DLL in a Japanese folder"
if run --lib "$(win "$work/なし/drwa_plugin.dll")" info 2> "$work/err"; then fail "no DLL"; fi
grep -q '^drwa-host: cannot load Z:.*なし.drwa_plugin.dll: ' "$work/err" || fail "load error"

# Usage errors, text the library cannot be given (CP932 has no é: a best-fit
# "e" would name another file) and the commands the Windows build lacks: exit
# 2, never a fake.
mkdir "$work/café" && cp "$account" "$work/café/"  # there, but not for the library
set +e
run --account "$(win "$work/café/account.ini")" groups 2> "$work/err"
[ $? = 2 ] || fail "path without a CP932 form"
grep -q '^drwa-host: text has no CP932 form: Z:.*café' "$work/err" || fail "path error"
run --account "$(win "$account")" check "😀@drwa-plugin.invalid" 2> "$work/err"
[ $? = 2 ] || fail "address without a CP932 form"
run frobnicate 2>/dev/null
[ $? = 2 ] || fail "unknown command"
run --account "$(win "$account")" edit-account 2> "$work/err"
[ $? = 2 ] || fail "edit-account status"
set -e
grep -qx 'drwa-host: edit-account is not available in the Windows build' "$work/err" ||
    fail "edit-account message"
echo "host identity under Wine: ok"
