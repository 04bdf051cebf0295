#!/usr/bin/env bash
# quorvel-render on a full disk (a failure while running: status 1) and in a read-only
# folder (unusable, found before drawing: status 2), on a tiny tmpfs: one line, nothing left
# behind. Skipped (status 77) where this machine cannot mount one.
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
ends_with() {  # ends_with STATUS ARGS...: that status and exactly one line on stderr
    local expected=$1
    shift
    "$render" "$@" >/dev/null 2>"$work/err.txt"
    test $? -eq "$expected" -a "$(wc -l <"$work/err.txt")" -eq 1
}

check "full disk: status 1" ends_with 1 --size 640x480 --format ppm --out "$work/tiny"
check "nothing left on the full disk" test -z "$(ls -A "$work/tiny")"
mount -o remount,ro "$work/tiny"
check "read-only folder: status 2" ends_with 2 --size 4x4 --out "$work/tiny"
check "read-only folder for the texture: status 2" ends_with 2 --texture-out "$work/tiny/t.png"
finish
