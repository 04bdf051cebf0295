#!/usr/bin/env bash
# The ARM64 build's NEON span routine beside its reference routine, under qemu-aarch64:
#   arm64_routines.sh ARM64_QUORVEL_RENDER [ROUNDS [SIZE]]
# Each round draws the zoom cycle (1824 frames) at SIZE (640x360) once with each routine, the
# two in turn first, and prints both `--bench` lines; then the medians of the rounds' frame
# means and how much faster NEON was within each round. The frames are drawn on one thread
# (--reference with the routine named): the band workers start two threads a frame, which
# costs qemu-user far more than a processor, the same for both routines.
# A proxy only: qemu turns each vector floating-point operation into a call that works lane by
# lane in software, while integer and memory operations run nearly at the host's speed, so the
# figure says how much arithmetic NEON saves, not how fast an ARM64 processor draws; real
# hardware pipelines and caches, and its two cores may be busy or not. Take the figure on an
# ARM64 machine by running the same script there with a native build (the program runs
# directly when qemu-aarch64 is not needed).
set -u
render=$1
rounds=${2:-3}
size=${3:-640x360}
run=("$render")
[[ $(uname -m) != aarch64 ]] && run=(qemu-aarch64 -L /usr/aarch64-linux-gnu "$render")
source "$(dirname "$0")/median.sh"

results=$(mktemp)
trap 'rm -f "$results"' EXIT
for ((round = 1; round <= rounds; ++round)); do
    order="neon reference"
    ((round % 2 == 0)) && order="reference neon"
    for routine in $order; do
        line=$("${run[@]}" --size "$size" --frames 1824 --save none --bench --reference --span-routine "$routine" 2>&1 |
            grep '^bench:') || { echo "arm64_routines: the $routine run failed" >&2; exit 1; }
        echo "$routine: $line"
        echo "$routine $(sed -n 's/.*renderFrame mean \([0-9.]*\) ms.*/\1/p' <<<"$line") $round" >>"$results"
    done
done
pick() { awk -v r="$1" '$1 == r { print $2 }' "$results" | median; }
speedups=$(awk '{ mean[$3, $1] = $2 } END { for (k = 1; mean[k, "neon"] != ""; ++k) print mean[k, "reference"] / mean[k, "neon"] }' \
    "$results" | sort -n)
awk -v s="$size" -v r="$rounds" -v n="$(pick neon)" -v f="$(pick reference)" -v lo="$(head -n 1 <<<"$speedups")" \
    -v hi="$(tail -n 1 <<<"$speedups")" 'BEGIN {
    printf "%s, median of %d rounds: neon mean %.3f ms, reference mean %.3f ms, %.2fx; within a round %.2f-%.2fx\n",
           s, r, n, f, f / n, lo, hi }'
