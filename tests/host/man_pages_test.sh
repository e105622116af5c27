#!/bin/sh
# The manual pages against the programs: every command of `PROGRAM --help` has
# an entry whose first line carries the command's options, so the two cannot
# drift apart; and man renders each page without a warning.
#   man_pages_test.sh DRWA-HOST DRWA-TOOL MAN_DIR
set -u
host=$1 tool=$2 mandir=$3
failures=0
# man-db is not part of every minimal system; without it there is nothing to render with.
command -v man >/dev/null || { echo "man is not installed: skipped"; exit 77; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# ASCII output and wide lines: no hyphen glyphs, no wrapped entry lines.
export LC_ALL=C MANWIDTH=250 MANPAGER=cat PAGER=cat

for pair in "$host drwa-host.1" "$tool drwa-tool.1"; do
    set -- $pair
    program=$1 page=$mandir/$2
    warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$2: man warns: $warnings"
    rendered=$(man -l "$page" 2>/dev/null) || fail "$2: man -l failed"

    # The commands as the program lists them: the usage part of each line
    # (up to the blanks before its text), e.g. "deliver --maildir DIR".
    commands=$("$program" --help | awk '/^commands:/ { on = 1; next }
        on && /^  [a-z]/ { sub(/^  /, ""); sub(/  .*/, ""); print }')
    [ -n "$commands" ] || fail "$2: $program --help lists no commands"
    echo "$commands" | while IFS= read -r usage; do
        name=${usage%% *}
        entry=$(printf '%s\n' "$rendered" | grep -E "^       $name( |\$)" | head -n 1)
        if [ -z "$entry" ]; then
            echo "FAIL: $2 has no entry for \"$name\" ($usage)"
            continue
        fi
        for option in $(printf '%s\n' "$usage" | grep -oE -- '(^| |\[)-[-a-z]*' | tr -d ' ['); do
            case " $entry " in
            *[\ \[]$option[\ \]]*) ;;
            *) echo "FAIL: $2: the entry \"$entry\" lacks $option of \"$usage\"" ;;
            esac
        done
    done | grep FAIL && failures=$((failures + 1))
done

[ "$failures" -eq 0 ] && echo "man pages: every command documented, no warnings"
[ "$failures" -eq 0 ]
