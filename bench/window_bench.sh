#!/usr/bin/env bash
# Presentation cost and the window's flat-out frame rate, on a private Xvfb screen.
#   window_bench.sh QUORVEL PRESENT_BENCH WINDOW_PROBE
set -u
quorvel=$1
present_bench=$2
probe=$3
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

"$present_bench"
"$quorvel" &
app_pid=$!
timeout 10 xdotool search --sync --name "^Quorvel" >/dev/null 2>&1
sleep 1
timeout 300 "$probe" rate 4 | tail -n 1
