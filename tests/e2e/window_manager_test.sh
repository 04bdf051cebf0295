#!/usr/bin/env bash
# The window under a window manager that frames it (openbox: a title bar and borders), alone
# and with a panel across the top of the screen: the whole window, frame included, shows
# inside the work area the window manager reports, and its drawing area is that work area
# less the frame less 10 pixels each way, rounded down to even; --size is kept. Every wait
# is bounded.
#   window_manager_test.sh QUORVEL WINDOW_PROBE
set -u
quorvel=$1
probe=$2
source "$(dirname "$0")/session.sh"
openbox_pid=""
panel_pid=""
before_cleanup() {
    [[ -n $panel_pid ]] && kill "$panel_pid" 2>/dev/null && wait "$panel_pid" 2>/dev/null
    [[ -n $openbox_pid ]] && kill "$openbox_pid" 2>/dev/null && wait "$openbox_pid" 2>/dev/null
}

start_app() {
    "$quorvel" "$@" 2>"$work/app.err" &
    app_pid=$!
    window=$(timeout 10 xdotool search --sync --name "^Quorvel" 2>/dev/null | head -n 1)
}

# Escape through the keyboard itself: sent to the window, its release would find the window
# gone and leave the key held down for every later program.
stop_app() {
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key Escape
    wait_for_exit 10
    check "$1: Escape exits 0" test "$app_status" = 0
}

# Up to 5 seconds for the window manager to report the work area $1 ("X Y W H").
wait_for_work_area() {
    for _ in $(seq 50); do
        [[ $("$probe" workarea 2>/dev/null) == "$1" ]] && return 0
        sleep 0.1
    done
    return 1
}

# check_placement NAME [W H]: the client area of the window, and its frame, inside the work
# area; the drawing area W x H, or the largest the work area leaves.
check_placement() {
    local name=$1 placement
    # Once the program has fitted its window, the window manager has framed it at its place.
    sleep 0.5
    placement=$("$probe" placement "$window")
    echo "$name: $placement"
    read -r _ _ ax ay aw ah _ x y w h _ left top right bottom <<<"$placement"
    check "$name: the window manager draws a title bar" test "${top:-0}" -gt 0
    check "$name: frame inside the work area on the left and at the top" \
        test $((x - left)) -ge "$ax" -a $((y - top)) -ge "$ay"
    if [[ $# -eq 1 ]]; then
        check "$name: frame inside the work area on the right and at the bottom" \
            test $((x + w + right)) -le $((ax + aw)) -a $((y + h + bottom)) -le $((ay + ah))
        check "$name: client area on the screen" test $((x + w)) -le 1920 -a $((y + h)) -le 1080
        check "$name: drawing area is the work area less the frame less 10, even" \
            test "$w" -eq $(((aw - left - right - 10) & ~1)) -a "$h" -eq $(((ah - top - bottom - 10) & ~1))
    else
        check "$name: drawing area $2x$3" test "$w" -eq "$2" -a "$h" -eq "$3"
        check "$name: at the top-left of the work area" test $((x - left)) -eq "$ax" -a $((y - top)) -eq "$ay"
    fi
}

start_xvfb
XDG_CONFIG_HOME=$work/config openbox --sm-disable >"$work/openbox.log" 2>&1 &
openbox_pid=$!
wait_for_work_area "0 0 1920 1080"
check "openbox reports the work area" test $? -eq 0

start_app
check_placement "openbox"
look=$("$probe" look "$window")
echo "openbox: $look"
distinct=$(sed -n 's/.*: \([0-9]*\) distinct.*/\1/p' <<<"$look")
check "openbox: the window shows the picture" test "${distinct:-0}" -ge 40
stop_app "openbox"

"$probe" panel 30 &
panel_pid=$!
wait_for_work_area "0 30 1920 1050"
check "a panel takes 30 rows off the work area" test $? -eq 0

start_app
check_placement "openbox and a panel"
stop_app "openbox and a panel"

start_app --size 800x600
check_placement "openbox and a panel, --size 800x600" 800 600
stop_app "openbox and a panel, --size 800x600"

# Full screen, the panel and the frame covered too.
start_app --fullscreen
sleep 0.5
placement=$("$probe" placement "$window")
echo "openbox, --fullscreen: $placement"
check "openbox, --fullscreen: the whole screen, no frame" grep -q "client 0 0 1920 1080 frame 0 0 0 0$" <<<"$placement"
stop_app "openbox, --fullscreen"

finish
