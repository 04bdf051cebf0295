#!/usr/bin/env bash
# quorvel-render on a full disk and in a read-only folder, on a tiny tmpfs: status 2, one
# line, nothing left behind. Skipped (status 77) where this machine cannot mount one.
set -u
render=$(realpath "$1")
work=$(mktemp -d)
trap 'umount "$work/tiny" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/tiny"
if ! mount -t tmpfs -o size=64k tmpfs "$work/tiny" 2>/dev/null; then
    echo "skipped: cannot mount a tmpfs here"
    exit 77
fi
source "$(dirname "$0")/../checks.sh"
refused() {  # refused ARGS...: status 2 and exactly one line on stderr
    "$render" "$@" >/dev/null 2>"$work/err.txt"
    test $? -eq 2 -a "$(wc -l <"$work/err.txt")" -eq 1
}

check "full disk refused" refused --size 640x480 --format ppm --out "$work/tiny"
check "nothing left on the full disk" test -z "$(ls -A "$work/tiny")"
mount -o remount,ro "$work/tiny"
check "read-only folder refused" refused --size 4x4 --out "$work/tiny"
finish
