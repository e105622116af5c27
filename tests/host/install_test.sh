#!/bin/sh
# `cmake --install` into an empty prefix: the installed host loads the library
# from its folder under lib/, new-account finds the sample plugins under share/drwa/plugins
# (not the source tree), and man finds the pages, and bash the completion.
#   install_test.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

arch=$(gcc -print-multiarch 2>/dev/null || true)
for f in bin/drwa-host bin/drwa-tool lib/${arch:+$arch/}drwa/libdrwa_plugin.so lib/${arch:+$arch/}drwa/libdrwa_plugin_qt.so share/drwa/plugins/cm_TEXTBOARD.PL share/drwa/plugins/lib/Board/Http.pm \
         share/man/man1/drwa-host.1.gz share/man/man1/drwa-tool.1.gz \
         share/bash-completion/completions/drwa-host share/bash-completion/completions/drwa-tool; do
    [ -f "$prefix/$f" ] || { echo "FAIL: $f was not installed"; exit 1; }
done

out=$("$prefix/bin/drwa-host" --account "$prefix/bbs/account.ini" new-account)
case $out in
*"$prefix/share/drwa/plugins"*) ;;
*) echo "FAIL: new-account did not take the installed plugins: $out"; exit 1 ;;
esac
"$prefix/bin/drwa-host" --account "$prefix/bbs/account.ini" info >/dev/null
if command -v man >/dev/null; then
    MANPATH=$prefix/share/man LC_ALL=C MANPAGER=cat man drwa-host | grep -q '^NAME' ||
        { echo "FAIL: man drwa-host does not find the installed page"; exit 1; }
fi
echo "install: programs, library, plugins, pages and completion in place and working"
