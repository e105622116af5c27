#!/bin/sh
# Regenerates the PE fixtures of the version information reader from the .rc
# sources beside this script. The files are made by the GNU binutils for
# mingw-w64 (apt-get install binutils-mingw-w64-i686 binutils-mingw-w64-x86-64),
# an independent producer, so the reader is checked against real linker output
# rather than our own idea of the format. The results are committed: the tests need no mingw.
#
#   *.dll         PE32, linked by i686-w64-mingw32-ld
#   *_pe32plus.dll  PE32+, the same .rc by x86_64-w64-mingw32-windres and -ld
set -eu
cd "$(dirname "$0")"
WINDRES=${WINDRES:-i686-w64-mingw32-windres}
LD32=${LD32:-i686-w64-mingw32-ld}
WINDRES64=${WINDRES64:-x86_64-w64-mingw32-windres}
LD64=${LD64:-x86_64-w64-mingw32-ld}
AS32=${AS32:-i686-w64-mingw32-as}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

link32() {  # OUTPUT OBJECT
    "$LD32" --dll -e 0 -s --no-insert-timestamp -o "$1" "$2"
}

for rc in *.rc; do
    base=${rc%.rc}
    "$WINDRES" --preprocessor=cpp "$rc" -O coff -o "$work/$base.o"
    link32 "$base.dll" "$work/$base.o"
done

# PE32+: the full table and the table without comments.
for base in full_table_cp932 no_comments_unicode; do
    "$WINDRES64" --preprocessor=cpp "$base.rc" -O coff -o "$work/${base}64.o"
    "$LD64" --dll -e 0 -s --no-insert-timestamp -o "${base}_pe32plus.dll" "$work/${base}64.o"
done

# No resource section at all: one instruction of code.
printf 'ret\n' | "$AS32" -o "$work/code.o"
link32 no_resource.dll "$work/code.o"
