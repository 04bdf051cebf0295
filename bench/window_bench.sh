#!/usr/bin/env bash
# Presentation cost and the window's flat-out frame rate, on a private Xvfb screen:
#   window_bench.sh QUORVEL PRESENT_BENCH WINDOW_PROBE [BASELINE_QUORVEL [ROUNDS]]
# With a baseline program the two windows are measured alternately, ROUNDS (3) times each,
# and the medians printed side by side.
set -u
quorvel=$1
present_bench=$2
probe=$3
baseline=${4:-}
rounds=${5:-3}
source "$(dirname "$0")/../tests/e2e/session.sh"
start_xvfb

"$present_bench"

# Frames per second of one program's window, measured over 4 seconds.
window_rate() {
    "$1" &
    app_pid=$!
    timeout 10 xdotool search --sync --name "^Quorvel" >/dev/null 2>&1
    sleep 1
    timeout 300 "$probe" rate 4 | tail -n 1
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
}

if [[ -z $baseline ]]; then
    window_rate "$quorvel"
    exit 0
fi
source "$(dirname "$0")/median.sh"
rates=$(for ((round = 1; round <= rounds; ++round)); do
    for build in baseline quorvel; do
        line=$(window_rate "${!build}")
        echo "$build: $line" >&2
        echo "$build $(sed -n 's/^window: \([0-9.]*\) frames.*/\1/p' <<<"$line")"
    done
done)
pick() { awk -v b="$1" '$1 == b && NF == 2 { print $2 }' <<<"$rates" | median; }
# This tree's rate over the baseline's, round by round (a round's two windows share its load).
speedups=$(awk 'NF == 2 { rate[$1] = $2 } $1 == "quorvel" && NF == 2 && rate["baseline"] > 0 {
    printf "%.3f\n", $2 / rate["baseline"] }' <<<"$rates" | sort -n)
echo "window, median of $rounds rounds: $(pick quorvel) frames per second (baseline $(pick baseline));" \
    "within a round $(head -n 1 <<<"$speedups")-$(tail -n 1 <<<"$speedups")x, median $(median <<<"$speedups")x"
