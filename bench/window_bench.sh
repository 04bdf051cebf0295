#!/usr/bin/env bash
# Presentation cost and the window's flat-out frame rate, on a private Xvfb screen.
#   window_bench.sh QUORVEL PRESENT_BENCH WINDOW_PROBE
set -u
quorvel=$1
present_bench=$2
probe=$3
source "$(dirname "$0")/../tests/e2e/session.sh"
start_xvfb

"$present_bench"
"$quorvel" &
app_pid=$!
timeout 10 xdotool search --sync --name "^Quorvel" >/dev/null 2>&1
sleep 1
timeout 300 "$probe" rate 4 | tail -n 1
