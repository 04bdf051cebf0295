#!/usr/bin/env bash
# The whole cycle drawn by a baseline build and by this tree, alternately, in one run:
#   compare_frames.sh BASELINE_FRAME_BENCH FRAME_BENCH SIZE [ROUNDS]
# Prints every run, then the median of the rounds for each: this machine is shared, so one
# run of each says little and only figures from the same run are compared.
set -u
baseline=$1
current=$2
size=$3
rounds=${4:-3}

# "mean M ms, median D ms, p99 P ms" of a frame_bench summary line, as "M P".
figures() { sed -n 's/.*renderFrame mean \([0-9.]*\) ms, median [0-9.]* ms, p99 \([0-9.]*\) ms.*/\1 \2/p'; }
source "$(dirname "$0")/median.sh"

results=$(mktemp)
trap 'rm -f "$results"' EXIT
for ((round = 1; round <= rounds; ++round)); do
    for build in baseline current; do
        out=$("${!build}" "$size") || { echo "$out"; echo "compare_frames: $build frame_bench failed" >&2; exit 1; }
        echo "$build: $(head -n 1 <<<"$out")"
        tail -n +2 <<<"$out"
        echo "$build $(figures <<<"$out")" >>"$results"
    done
done
pick() { awk -v b="$1" -v f="$2" '$1 == b { print $f }' "$results" | median; }
base_mean=$(pick baseline 2) base_p99=$(pick baseline 3)
mean=$(pick current 2) p99=$(pick current 3)
awk -v s="$size" -v r="$rounds" -v bm="$base_mean" -v bp="$base_p99" -v m="$mean" -v p="$p99" 'BEGIN {
    printf "%s, median of %d rounds: mean %.3f ms (baseline %.3f ms, %.2fx faster), p99 %.3f ms (baseline %.3f ms)\n",
           s, r, m, bm, bm / m, p, bp }'
