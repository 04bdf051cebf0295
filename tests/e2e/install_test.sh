#!/usr/bin/env bash
# make install and make package from the outside: what lands where, that the installed or
# unpacked quorvel-render draws the frames the build draws, and that make uninstall takes
# away what make install put in and nothing else.
#   install_test.sh install|package BUILD_DIR
set -u
mode=$1
build=$(realpath "$2")
sources=$(realpath "$(dirname "$0")/../..")
work=$(mktemp -d)
source "$(dirname "$0")/../checks.sh"

# These installs write over the build's record of a real make install (make uninstall reads
# it) and CMake's manifest: they are put back as they were.
records=(install_manifest.txt installed.txt)
for record in "${records[@]}"; do
    [[ -f $build/$record ]] && cp -p "$build/$record" "$work/$record"
done
restore_records() {
    for record in "${records[@]}"; do
        if [[ -f $work/$record ]]; then cp -p "$work/$record" "$build/$record"; else rm -f "$build/$record"; fi
    done
    rm -rf "$work"
}
trap restore_records EXIT

if [[ $mode == install ]]; then
    # What the staging root holds before: another program beside ours, another's documents,
    # an empty folder the install puts a file in.
    stage=$work/root
    mkdir -p "$stage/usr/local/bin" "$stage/usr/local/share/doc/other" "$stage/usr/local/share/applications"
    echo other >"$stage/usr/local/bin/other-program"
    echo other >"$stage/usr/local/share/doc/other/README"
    before=$(cd "$stage" && find . | sort)
    DESTDIR=$stage cmake --install "$build" --prefix /usr/local --strip >/dev/null
    root=$stage/usr/local
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
    share/applications/quorvel.desktop share/doc/quorvel/README share/doc/quorvel/LICENSE \
    share/doc/quorvel/report.schema.json; do
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

if [[ $mode == install ]]; then
    uninstall() {  # uninstall BUILD_DIR DESTDIR
        env -u MAKEFLAGS -u MAKELEVEL -u MFLAGS DESTDIR="$2" \
            make -s --no-print-directory -C "$sources" uninstall BUILD_DIR="$1" PREFIX=/usr/local
    }
    fails() { ! "$@"; }
    one_line() { test "$(grep -c '^quorvel: ' "$1")" -eq 1; }
    mkdir -p "$work/no-install"
    check "uninstall without a manifest fails" fails uninstall "$work/no-install" "$stage" 2>"$work/no-manifest.txt"
    check "... saying so in one line" one_line "$work/no-manifest.txt"
    check "uninstall with another DESTDIR is refused" fails uninstall "$build" "$work/elsewhere" 2>"$work/refused.txt"
    check "... in one line" one_line "$work/refused.txt"
    check "... removing nothing" test -s "$root/bin/quorvel"
    # A second install into the same place, and a package made in between, change nothing
    # of what uninstall removes.
    DESTDIR=$stage cmake --install "$build" --prefix /usr/local --strip >/dev/null
    check "a package made in between" cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" \
        >/dev/null
    check "uninstall succeeds after installing twice and packaging" uninstall "$build" "$stage" >/dev/null
    after=$(cd "$stage" && find . | sort)
    check "the staging root holds what it held before, and only that" test "$after" = "$before"
    diff <(echo "$before") <(echo "$after")
fi

finish
