#!/bin/bash
# The bash completion, as bash calls it: COMP_WORDS and COMP_CWORD set, the
# completion function run, COMPREPLY compared (sorted) with what a user expects.
#   completion_test.sh DRWA-HOST DRWA-TOOL COMPLETIONS_DIR EXAMPLE_ACCOUNT_DIR
set -u
host=$1 tool=$2 completions=$3 example=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$example" "$work/account"  # groups 0 to 2
account=$work/account/account.ini
mkdir "$work/mail-dir"
touch "$work/mail-file"

source "$completions/drwa-host"
source "$completions/drwa-tool"
failures=0

# FUNCTION EXPECTED WORD...: the last word is the one being completed.
expect() {
    local function=$1 expected=$2
    shift 2
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    "$function"
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
    if [[ "${got% }" != "$expected" ]]; then
        echo "FAIL: ${*:2} -> \"${got% }\", expected \"$expected\""
        failures=$((failures + 1))
    fi
}

# Commands from the program's own --help, options before and after them.
expect _drwa_host "receive" "$host" rec
expect _drwa_host "send sendmail set-group show-group" "$host" s
expect _drwa_host "receive resend" "$host" re
expect _drwa_host "--account" "$host" --acc
expect _drwa_host "receive" "$host" --no-wait --account "$account" rece
expect _drwa_host "--maildir" "$host" --account "$account" deliver --m
# Files for --account, only folders for a Maildir.
expect _drwa_host "$account" "$host" --account "$work/account/acc"
expect _drwa_host "$work/mail-dir" "$host" --account "$account" deliver --maildir "$work/mail-"
# Group numbers from the account's own list; none without an account file.
expect _drwa_host "0 1 2" "$host" --account "$account" enable ""
expect _drwa_host "0 1 2" "$host" --account "$account" receive 0 ""
expect _drwa_host "" "$host" --account "$work/none.ini" enable ""
expect _drwa_host "1" "$host" --account "$account" show-group 1
expect _drwa_host "" "$host" --account "$account" show-group 1 ""
# menu: the item first, then groups.
expect _drwa_host "0 1 2 3" "$host" --account "$account" menu ""
expect _drwa_host "0 1 2" "$host" --account "$account" menu 3 ""

expect _drwa_tool "decode-header detect" "$tool" de
expect _drwa_tool "2 4 5" "$tool" convert --to ""
expect _drwa_tool "decode encode" "$tool" b64name ""
expect _drwa_tool "--no-wait" "$tool" import --no

((failures == 0)) && echo "completion: every case completes as expected"
((failures == 0))
