#!/bin/sh
# The library's dynamic symbol table holds exactly the functions the public
# header declares: nothing of the core leaks out.
set -eu
lib=$1 header=$2
declared=$(sed -n 's/^DRWA_EXPORT [^(]* DRWA_CALL \([A-Za-z]*\)(.*/\1/p' "$header" | sort)
exported=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TtWDdBbRrVvi]$/ {print $3}' | sort)
if [ "$declared" != "$exported" ]; then
    echo "declared in $header:"; echo "$declared"
    echo "exported by $lib:"; echo "$exported"
    exit 1
fi
[ -n "$declared" ] || { echo "no exports found"; exit 1; }
echo "exports: $(echo "$declared" | wc -l)"
