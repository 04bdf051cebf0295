#!/usr/bin/env bash
# make install and make package from the outside: what lands where, and that the installed
# or unpacked quorvel-render draws the frames the build draws.
#   install_test.sh install|package BUILD_DIR
set -u
mode=$1
build=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../checks.sh"

if [[ $mode == install ]]; then
    DESTDIR=$work/root cmake --install "$build" --prefix /usr/local --strip >/dev/null
    root=$work/root/usr/local
else
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
    deb=$(ls "$work"/package/quorvel_*.deb 2>/dev/null | head -n 1)
    check "package built" test -f "$deb"
    dpkg-deb -x "$deb" "$work/root"
    root=$work/root/usr
    check "package name and version" test "$(dpkg-deb -f "$deb" Package Version | tr '\n' ' ')" = \
        "Package: quorvel Version: $("$build/quorvel-render" --version | sed -n '1s/.* //p') "
    check "dependencies computed" grep -q "libsdl2" <<<"$(dpkg-deb -f "$deb" Depends)"
    if command -v lintian >/dev/null; then
        lintian "$deb" >"$work/lintian.txt" 2>&1
        check "lintian finds no error" test -z "$(grep '^E:' "$work/lintian.txt")"
        grep '^[EW]:' "$work/lintian.txt"
    fi
fi

for file in bin/quorvel bin/quorvel-render share/man/man1/quorvel.1.gz share/man/man1/quorvel-render.1.gz \
    share/applications/quorvel.desktop share/doc/quorvel/README share/doc/quorvel/LICENSE; do
    check "$mode: $file" test -s "$root/$file"
done
check "$mode: programs stripped" test -z "$(readelf -S "$root/bin/quorvel" "$root/bin/quorvel-render" | grep -E '\.debug|\.symtab')"
# Every size a desktop asks for, with an alpha channel (transparent around the picture).
for size in 16 24 32 48 64 128 256; do
    icon=$root/share/icons/hicolor/${size}x${size}/apps/quorvel.png
    check "$mode: ${size}x$size icon" grep -q "(${size}x${size}, 32-bit RGB+alpha" <(pngcheck "$icon" 2>&1)
done
# The installed README speaks of installed things only, and describes every file and line
# the programs write; the manual page sends the reader there.
readme=$root/share/doc/quorvel/README
check "$mode: README names no build folder" test -z "$(grep -n -E 'build/|make |docs/' "$readme")"
for format in 'frame K hash H' 'XXH3-64' 'xxh3_64' 'bench: frames' 'peak-rss' 'frame-00042.png' 'P6' \
    'YUV4MPEG2' 'FRAME' '--bench-plot' '--texture-out'; do
    check "$mode: README describes $format" grep -q -F -e "$format" "$readme"
done
check "$mode: man quorvel-render names the installed README" \
    grep -q 'share/doc/quorvel/README' <(zcat "$root/share/man/man1/quorvel-render.1.gz")
if command -v desktop-file-validate >/dev/null; then
    check "desktop entry valid" desktop-file-validate "$root/share/applications/quorvel.desktop"
fi
if command -v man >/dev/null; then
    for page in quorvel quorvel-render; do
        check "man page $page renders cleanly" test -z "$(man --warnings -l "$root/share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
    done
fi
installed=$("$root/bin/quorvel-render" --size 64x48 --from 600 --save none --hash)
built=$("$build/quorvel-render" --size 64x48 --from 600 --save none --hash)
check "the $mode draws the build's frames" test -n "$installed" -a "$installed" = "$built"

finish
