#!/usr/bin/env bash
# make uninstall: removes the files the installs from BUILD_DIR into one place put in, as
# their record (build/installed.txt, which make package leaves alone) lists them, then those
# of the folders they made that are empty again. Nothing else is touched: a folder that was
# there before stays, and so does anything put in a made folder since. PREFIX and DESTDIR
# (from the environment, as make install takes it) must be those the install had.
#   uninstall.sh BUILD_DIR PREFIX
set -euo pipefail
build=$1
prefix=${2%/}
destdir=${DESTDIR:-}
record=$build/installed.txt

fail() {
    echo "quorvel: $1" >&2
    exit 1
}
[[ -f $record ]] || fail "nothing to uninstall: no $record (make install writes it)"

installed_destdir=$(sed -n 's/^DESTDIR=//p' "$record")
installed_prefix=$(sed -n 's/^PREFIX=//p' "$record")
installed_prefix=${installed_prefix%/}
if [[ $installed_destdir != "$destdir" || $installed_prefix != "$prefix" ]]; then
    fail "the last make install was with PREFIX=$installed_prefix${installed_destdir:+ DESTDIR=$installed_destdir}; uninstall with the same"
fi
recorded() { sed -n "s/^$1 //p" "$record"; }
while IFS= read -r path; do
    [[ $path == "$prefix"/* ]] || fail "$record lists $path, outside $prefix: not this install's; nothing removed"
done < <(recorded file; recorded folder)

files=0
while IFS= read -r file; do
    path=$destdir$file
    if [[ -f $path || -L $path ]]; then
        rm -f -- "$path"
        files=$((files + 1))
    fi
done < <(recorded file)
# Deepest first, so that a made folder is empty when its own made folders are gone.
folders=0
while IFS= read -r folder; do
    if rmdir -- "$destdir$folder" 2>/dev/null; then folders=$((folders + 1)); fi
done < <(recorded folder | LC_ALL=C sort -r)
rm -f -- "$record"
echo "quorvel: removed $files files and $folders folders from ${destdir}${prefix}"
