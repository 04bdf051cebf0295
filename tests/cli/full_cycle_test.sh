#!/usr/bin/env bash
# The whole zoom cycle drawn by the fast path, by two workers taking 32 bands in turn, hashes
# exactly as the reference path on the literal halves, at sizes where the bands' rows fall
# differently: portrait, a height that leaves bands of unequal rows, and tiny.
#   full_cycle_test.sh QUORVEL_RENDER
set -u
source "$(dirname "$0")/../checks.sh"
render=$1
for size in 1070x1910 1910x1074 64x48; do
    fast=$("$render" --size "$size" --frames 1824 --save none --hash --quiet | md5sum)
    reference=$("$render" --size "$size" --frames 1824 --save none --hash --quiet --reference | md5sum)
    check "1824 frames at $size: fast = reference" test "$fast" = "$reference"
done
finish
