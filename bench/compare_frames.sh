#!/usr/bin/env bash
# The whole zoom cycle drawn by a baseline build and by this tree, alternately, in one run:
#   compare_frames.sh BASELINE_QUORVEL_RENDER QUORVEL_RENDER SIZE [ROUNDS [BASELINE_ARGS CURRENT_ARGS]]
# Each round draws the cycle once with each program's `--bench` (two band workers, a few
# seconds), the two in turn first, so that the busy and quiet moments of this shared machine
# and any advantage of going first fall on both alike.
# Prints every run, then the medians of the rounds' mean and 99th percentile, and how much
# faster this tree was within each round: the machine's load drifts by more than the
# differences measured, and the two runs of a round see much the same load. The same
# program twice with other options (say "" and "--hash") measures what an option costs.
set -u
baseline=$1
current=$2
size=$3
rounds=${4:-7}
baseline_args=${5:-}
current_args=${6:-}

# "M P" from a bench line: "... renderFrame mean M ms median D ms p99 P ms ...".
figures() { sed -n 's/^bench:.*renderFrame mean \([0-9.]*\) ms median [0-9.]* ms p99 \([0-9.]*\) ms.*/\1 \2/p'; }
source "$(dirname "$0")/median.sh"

results=$(mktemp)
trap 'rm -f "$results"' EXIT
for ((round = 1; round <= rounds; ++round)); do
    order="baseline current"
    ((round % 2 == 0)) && order="current baseline"
    for build in $order; do
        args=${build}_args
        # shellcheck disable=SC2086 # the extra options are words
        line=$("${!build}" --size "$size" --frames 1824 --save none --bench ${!args} 2>&1 | grep '^bench:') ||
            { echo "compare_frames: the $build program failed" >&2; exit 1; }
        echo "$build${!args:+ ${!args}}: $line"
        echo "$build $(figures <<<"$line") $round" >>"$results"
    done
done
pick() { awk -v b="$1" -v f="$2" '$1 == b { print $f }' "$results" | median; }
base_mean=$(pick baseline 2) base_p99=$(pick baseline 3)
mean=$(pick current 2) p99=$(pick current 3)
# Baseline mean over current mean, round by round.
speedups=$(awk '{ mean[$4, $1] = $2 } END { for (k = 1; mean[k, "current"] != ""; ++k) print mean[k, "baseline"] / mean[k, "current"] }' \
    "$results" | sort -n)
awk -v s="$size" -v r="$rounds" -v bm="$base_mean" -v bp="$base_p99" -v m="$mean" -v p="$p99" \
    -v lo="$(head -n 1 <<<"$speedups")" -v hi="$(tail -n 1 <<<"$speedups")" -v mid="$(median <<<"$speedups")" 'BEGIN {
    printf "%s, median of %d rounds: mean %.3f ms (baseline %.3f ms, %.2fx faster, %+.1f%% time), p99 %.3f ms (baseline %.3f ms); within a round %.2f-%.2fx faster, median %.2fx\n",
           s, r, m, bm, bm / m, 100 * (m / bm - 1), p, bp, lo, hi, mid }'
