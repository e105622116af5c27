#!/bin/sh
# The Debian package as a user gets it: built from this build folder,
# installed with apt-get, used from /usr/bin on the bundled example board
# (new-account, add-board, receive, deliver), then purged, leaving nothing of
# ours on disk. It changes the system, so it runs only as root (as CI does).
#   package_test.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1 source=$2
if [ "$(id -u)" -ne 0 ]; then
    echo "package: skipped, installing a package needs root"
    exit 77
fi
if dpkg-query -W -f='${Status}' drwa 2>/dev/null | grep -q 'install ok installed'; then
    echo "package: skipped, drwa is installed on this system already"
    exit 77
fi
work=$(mktemp -d)
cleanup() {
    apt-get purge -y drwa >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack -G DEB -B "$work/deb" --config "$build/CPackConfig.cmake" >/dev/null
deb=$(ls "$work"/deb/drwa_*.deb)
DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb" >"$work/apt.log" 2>&1 ||
    fail "apt-get install: $(tail -n 5 "$work/apt.log")"

# Everything runs from the installed files: no build or source path is used.
export HOME="$work/home"
mkdir -p "$HOME/boards"
cp -r "$source/examples/board" "$HOME/boards/zatsudan"
account=$HOME/bbs/account.ini
out=$(/usr/bin/drwa-host --account "$account" new-account)
case $out in *"/usr/share/drwa/plugins"*) ;; *) fail "new-account: $out" ;; esac
/usr/bin/drwa-host --account "$account" add-board "file://$HOME/boards/zatsudan/" >/dev/null ||
    fail "add-board"
/usr/bin/drwa-host --account "$account" receive >/dev/null || fail "receive"
out=$(/usr/bin/drwa-host --account "$account" deliver --maildir "$HOME/Maildir")
count=$(ls "$HOME/Maildir/new" | wc -l)
[ "$count" -gt 0 ] || fail "deliver brought no mail: $out"
MANPAGER=cat man drwa-host 2>/dev/null | grep -q '^NAME' || fail "man drwa-host"

files=$(dpkg-query -L drwa | grep -v '^/\.$')
apt-get purge -y drwa >"$work/apt.log" 2>&1 || fail "apt-get purge: $(tail -n 5 "$work/apt.log")"
left=""
for f in $files; do
    case $f in /usr | /usr/bin | /usr/lib | /usr/share | /usr/share/*/ | /usr/lib/*-linux-gnu) continue ;; esac
    if [ -e "$f" ] && { [ ! -d "$f" ] || [ -z "$(ls -A "$f")" ] && ! dpkg -S "$f" >/dev/null 2>&1; }; then
        left="$left $f"
    fi
done
[ -z "$left" ] || fail "purge left:$left"
echo "package: installed, $count mails received and delivered from /usr/bin, purged without a trace"
