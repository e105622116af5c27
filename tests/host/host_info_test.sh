#!/bin/sh
# drwa-host loads the library beside it and prints its identity in UTF-8.
set -eu
host=$1 account=$2
out=$("$host" --account "$account" info)
echo "$out"
echo "$out" | grep -qx 'name:     DRWAプラグインプラグイン (24 bytes)'
echo "$out" | grep -qx 'version:  0.9β (5 bytes)'
echo "$out" | grep -qx 'threads:  1'
echo "$out" | grep -q  '6  format 1  width 120  既読位置'
echo "$out" | grep -qx 'menu (89 bytes):'
# Every export is there; shared objects have no ordinals to look them up by.
[ "$("$host" exports | grep -c ' ok$')" = 21 ] || exit 1
if "$host" --by-ordinal info 2>/dev/null; then exit 1; fi
# An unknown command is a usage error, not a crash.
if "$host" frobnicate 2>/dev/null; then exit 1; fi
