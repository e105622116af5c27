#!/bin/sh
# The Windows installer as a user runs it, silently (/S), in a fresh Wine
# prefix, for all users and for the user alone: the files are where the
# registry says, the installed drwa-host.exe finds every export of the
# installed DLL, and the uninstaller takes away every file and the registry
# key it made, leaving a file of the user's in the folder alone.
#   installer_test.sh WINDOWS_BUILD_FOLDER
set -eu
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)
command -v makensis >/dev/null || { echo "installer: skipped, no makensis"; exit 77; }
command -v wine >/dev/null || { echo "installer: skipped, no Wine"; exit 77; }
work=$(mktemp -d)
export WINEARCH=win32 WINEPREFIX="$work/prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$work/home" TMPDIR="$work/tmp" XDG_DATA_HOME="$work/data"
mkdir -p "$HOME" "$TMPDIR" "$XDG_DATA_HOME"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Packaged into the test's own folder: the runs under each code page go side
# by side.
"$here/scripts/windows-package" "$build" "$work/package" >/dev/null
setup=$(ls "$work"/package/drwa_*_setup.exe)
expected=$(cd "$work/package/drwa" && find . -type f | sort)
exports=$(grep -c '^ *[A-Za-z][A-Za-z]* *@[0-9]' "$here/src/plugin/drwa_plugin.def" || true)

# mode: the installer's switch, the registry root it writes
for mode in "AllUsers HKLM" "CurrentUser HKCU"; do
    set -- $mode
    switch=$1 root=$2
    key="$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\drwa"
    wine "$setup" /S "/$switch" >/dev/null 2>&1 || fail "$switch: the installer failed"
    wineserver -w
    location=$(wine reg query "$key" /v InstallLocation 2>/dev/null | tr -d '\r' |
        sed -n 's/.*REG_SZ *//p')
    [ -n "$location" ] || fail "$switch: no $key"
    dir=$(winepath -u "$location")
    got=$(cd "$dir" && find . -type f ! -name uninstall.exe | sort)
    [ "$got" = "$expected" ] || fail "$switch: installed files differ: $(echo "$got" | head -5)"
    out=$(wine "$location\\drwa-host.exe" --lib "$location\\drwa_plugin.dll" --by-ordinal exports 2>&1) ||
        fail "$switch: exports: $out"
    found=$(echo "$out" | grep -c . || true)
    [ "$found" -ge "$exports" ] || fail "$switch: $found exports resolved, $exports in the table"
    echo mine >"$dir/plugins/cm_MINE.PL"
    wine "$location\\uninstall.exe" /S >/dev/null 2>&1 || fail "$switch: the uninstaller failed"
    wineserver -w
    left=$(cd "$dir" && find . -type f | sort | tr '\n' ' ')
    [ "$left" = "./plugins/cm_MINE.PL " ] || fail "$switch: the uninstaller left: $left"
    wine reg query "$key" >/dev/null 2>&1 && fail "$switch: $key is still there"
    rm -rf "$dir"
    printf "installer (%s): %s files in %s, %s exports, all gone again\n" "$switch" "$(echo "$expected" | wc -l)" "$location" "$found"
done
