#!/usr/bin/env bash
# make uninstall: removes the files the last install from BUILD_DIR put in, as CMake's
# install manifest lists them, then those of the folders that install made (its note beside
# the manifest says which) that are empty again. Nothing else is touched: a folder that was
# there before stays, and so does anything put in a made folder since. PREFIX and DESTDIR
# (from the environment, as make install takes it) must be those the install had.
#   uninstall.sh BUILD_DIR PREFIX
set -euo pipefail
build=$1
prefix=${2%/}
destdir=${DESTDIR:-}
manifest=$build/install_manifest.txt
made_folders=$build/install_made_folders.txt

fail() {
    echo "quorvel: $1" >&2
    exit 1
}
[[ -f $manifest ]] || fail "nothing to uninstall: no $manifest (make install writes it)"
[[ -f $made_folders ]] || fail "no $made_folders beside the manifest: run make install again, then make uninstall"

installed_destdir=$(sed -n '1s/^DESTDIR=//p' "$made_folders")
installed_prefix=$(sed -n '2s/^PREFIX=//p' "$made_folders")
installed_prefix=${installed_prefix%/}
if [[ $installed_destdir != "$destdir" || $installed_prefix != "$prefix" ]]; then
    fail "the last make install was with PREFIX=$installed_prefix${installed_destdir:+ DESTDIR=$installed_destdir}; uninstall with the same"
fi
# CMake ends the manifest's last line without a newline.
manifest_files() { while IFS= read -r file || [[ -n $file ]]; do echo "$file"; done <"$manifest"; }
# A manifest another install wrote over (make package writes one too) names other folders.
while IFS= read -r file; do
    [[ $file == "$prefix"/* ]] || fail "$manifest lists $file, outside $prefix: not this install's; nothing removed"
done < <(manifest_files)

files=0
while IFS= read -r file; do
    path=$destdir$file
    if [[ -f $path || -L $path ]]; then
        rm -f -- "$path"
        files=$((files + 1))
    fi
done < <(manifest_files)
# Deepest first, so that a made folder is empty when its own made folders are gone.
folders=0
while IFS= read -r folder; do
    if rmdir -- "$destdir$folder" 2>/dev/null; then folders=$((folders + 1)); fi
done < <(tail -n +3 "$made_folders" | grep . | LC_ALL=C sort -r)
rm -f -- "$manifest" "$made_folders"
echo "quorvel: removed $files files and $folders folders from ${destdir}${prefix}"
