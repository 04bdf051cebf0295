#!/usr/bin/env bash
# The ARM64 window program (make arm64) under qemu-aarch64 on a private Xvfb screen: its
# window appears at the full size, shows exactly a frame that Intel's model draws (its default
# there), and Escape ends it with status 0.
#   arm64_window_test.sh ARM64_BUILD_DIR WINDOW_PROBE
set -u
build=$1
probe=$2
if [[ ! -x $build/quorvel ]] || ! command -v qemu-aarch64 >/dev/null; then
    echo "skipped: no ARM64 window program in $build, or no qemu-aarch64 (make arm64 builds it)"
    exit 77
fi
source "$(dirname "$0")/../e2e/session.sh"

start_xvfb
# Without a session bus SDL's D-Bus library starts one with fork and exec, which hangs a
# threaded program under qemu-user: a bus that is not there stops it trying.
DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent qemu-aarch64 -L /usr/aarch64-linux-gnu "$build/quorvel" \
    2>"$work/app.err" &
app_pid=$!
window=$(timeout 60 xdotool search --sync --name "^Quorvel" 2>/dev/null | head -n 1)
check "window appears" test -n "$window"
check "client area 1910x1070" grep -q "Geometry: 1910x1070" <<<"$(xdotool getwindowgeometry "$window")"
sleep 2
timeout 120 "$probe" match 0 0 1910 1070 intel >"$work/match.txt"
cat "$work/match.txt"
check "the frame on screen is exact" grep -q ", 0 pixels differ" "$work/match.txt"
xdotool key --window "$window" Escape
wait_for_exit 30
check "Escape exits 0" test "$app_status" = 0
check "nothing on standard error" test ! -s "$work/app.err"
finish
