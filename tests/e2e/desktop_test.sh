#!/usr/bin/env bash
# The window on the desktops a user may have: X screens of every depth, a server without
# shared memory whose window gets resized, a window or a server that goes away, and a
# Wayland compositor with no X server. Every server is started and stopped here, every
# wait is bounded.
#   desktop_test.sh QUORVEL WINDOW_PROBE
set -u
quorvel=$1
probe=$2
source "$(dirname "$0")/session.sh"
weston_pid=""
before_cleanup() { [[ -n $weston_pid ]] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null; }

start_app() {
    "$quorvel" 2>"$work/app.err" &
    app_pid=$!
    window=$(timeout 10 xdotool search --sync --name "^Quorvel" 2>/dev/null | head -n 1)
}

# The window shows a picture of many colours that moves: looks a quarter of a second apart
# for up to three seconds (over a zoom cycle at the window's rate), until one has the colours
# and two have differed. How far the cycle has got by a given second depends on the speed.
check_animated() {  # check_animated NAME [MIN_DISTINCT]
    local look previous="" colourful="" changed="" distinct
    sleep 1
    for ((i = 0; i < 12; ++i)); do
        look=$("$probe" look "$window")
        distinct=$(sed -n 's/.*: \([0-9]*\) distinct.*/\1/p' <<<"$look")
        [[ ${distinct:-0} -ge ${2:-40} ]] && colourful=$look
        [[ -n $previous && ${previous##* } != "${look##* }" ]] && changed=yes
        [[ -n $colourful && -n $changed ]] && break
        previous=$look
        sleep 0.25
    done
    echo "$1: ${colourful:-$look}"
    check "$1 shows many colours" test -n "$colourful"
    check "$1 keeps changing" test -n "$changed"
}

# Ends within a second with status 1 and the one line.
check_ended_with() {  # check_ended_with NAME LINE
    wait_for_exit 1
    check "$1: exit 1 within a second" test "$app_status" = 1
    check "$1: one line" test "$(cat "$work/app.err")" = "$2"
}

for depth in 8 16 24 30; do
    screen_depth=$depth start_xvfb
    start_app
    check "depth $depth: window appears" test -n "$window"
    check_animated "depth $depth" 20
    xdotool key --window "$window" Escape
    wait_for_exit 10
    check "depth $depth: Escape exits 0" test "$app_status" = 0
done

start_xvfb -extension MIT-SHM
start_app
# Made smaller, the window shows the frame's top-left corner, which holds only the edge of
# the solid while it is zoomed out: fewer colours.
for size in "800 600" "1910 1070" "1915 1075"; do
    xdotool windowsize "$window" $size
    check_animated "no shared memory, resized to ${size/ /x}" "$([[ $size == "800 600" ]] && echo 20 || echo 40)"
    check "resized to ${size/ /x}" grep -q "^${size/ /x} " <<<"$("$probe" look "$window")"
done
xdotool windowclose "$window"
check_ended_with "window destroyed without shared memory" "quorvel: the window was destroyed by another program"

start_xvfb
start_app
sleep 1
xdotool windowclose "$window"
check_ended_with "window destroyed" "quorvel: the window was destroyed by another program"
start_app
sleep 1
kill -9 "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null
xvfb_pid=""
check_ended_with "X server killed" "quorvel: lost the connection to the X display"

# Wayland: weston on its own socket, the program with no X display at all.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
start_weston() {  # start_weston SOCKET WESTON_OPTIONS...
    local socket=$1
    shift
    weston --socket="$socket" --idle-time=0 --no-config "$@" >"$work/weston.log" 2>&1 &
    weston_pid=$!
    for _ in $(seq 100); do [[ -S $XDG_RUNTIME_DIR/$socket ]] && break; sleep 0.1; done
}
stop_weston() { kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null; weston_pid=""; }

# No compositor to be reached: one line that says why, and nothing of the library's own.
no_compositor() {  # no_compositor NAME EXPECTED_REASON ENVIRONMENT...
    local name=$1 reason=$2
    shift 2
    env -u DISPLAY "$@" timeout 20 "$quorvel" 2>"$work/app.err"
    check "$name: status 1" test $? = 1
    check "$name: one line, why" test "$(wc -l <"$work/app.err")" = 1 -a \
        "$(sed -n 's/.*cannot connect to Wayland compositor //p' "$work/app.err")" = "$reason"
}
no_compositor "no such socket" "wl-none: No such file or directory" WAYLAND_DISPLAY=wl-none
no_compositor "no runtime folder" "wl-none: XDG_RUNTIME_DIR is invalid or not set in the environment" \
    -u XDG_RUNTIME_DIR WAYLAND_DISPLAY=wl-none

# Headless weston has no input seat, which SDL before 2.30 cannot start without: Wayland
# is checked for one whether SDL picks it unasked or is asked for it by name.
start_weston wl-headless --backend=headless-backend.so
for drivers in "" wayland x11,wayland; do
    name="seatless Wayland${drivers:+, SDL_VIDEODRIVER=$drivers}"
    env -u DISPLAY ${drivers:+SDL_VIDEODRIVER=$drivers} WAYLAND_DISPLAY=wl-headless timeout 20 "$quorvel" \
        2>"$work/app.err" &
    app_pid=$!
    wait_for_exit 20
    if [[ $app_status == 1 ]]; then
        check "$name: one line" grep -q "^quorvel: cannot open a window: .*offers no input seat" "$work/app.err"
    else
        check "$name: no crash" test "$app_status" = running
    fi
    [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
done
stop_weston

# weston drawing into an X window of its own gives it a seat; the program sees only Wayland.
start_xvfb
start_weston wl-desktop --backend=x11-backend.so --use-pixman --width=1920 --height=1080
start_wayland_app() {
    env -u DISPLAY WAYLAND_DISPLAY=wl-desktop "$quorvel" "$@" >"$work/fps.txt" 2>"$work/app.err" &
    app_pid=$!
}
# The frame rates of the --fps lines with this pacing, one a line.
rates() { sed -n "s/^\([0-9.]*\) frames\/s, $1;.*/\1/p" "$work/fps.txt"; }
start_wayland_app
wait_for_exit 4
check "Wayland: runs for seconds" test "$app_status" = running
# Neither libdecor's complaint of a missing plugin nor SDL's way as a fallback.
check "Wayland: nothing on stderr" test ! -s "$work/app.err"
kill -TERM "$app_pid" 2>/dev/null
wait_for_exit 10
check "Wayland: SIGTERM ends it with 143" test "$app_status" = 143

# Flat out, frames go straight into buffers the compositor reads: the frame on screen, in a
# 640x480 area wherever the compositor placed the window, is one the renderer draws, exact.
# The compositor draws its pointer into its output: it goes to the panel, where no window goes.
start_wayland_app --size 640x480 --fps
xdotool mousemove 5 5
sleep 1.5
timeout 120 "$probe" find 640 480 >"$work/find.txt"
check "Wayland: a 640x480 drawing area shows a frame of the lit solid" test $? -eq 0
cat "$work/find.txt"
check "Wayland: the frame on screen is exact" grep -q ", 0 pixels differ" "$work/find.txt"
check "Wayland: over 100 frames/s flat out" awk '$1 > 100 { found = 1 } END { exit !found }' <(rates "full speed")
# A stopped compositor neither reads nor hands back a frame: the loop waits 100 ms at a
# time, goes on, and draws again once the compositor does.
kill -STOP "$weston_pid"
sleep 2.5
check "Wayland, compositor stopped: no frame, and the loop goes on" \
    grep -q "^0.0 frames/s, full speed; the window system has handed back no frame" "$work/fps.txt"
kill -CONT "$weston_pid"
sleep 2
check "Wayland, compositor going on: frames again" awk '$1 > 0 { last = $1 } END { exit !(last > 0) }' \
    <(tail -n 1 "$work/fps.txt" | sed 's/ frames.*//')
# Idle, each frame waits for the compositor's refresh (60 a second here).
xdotool key space
sleep 2.5
check "Wayland idle: paced by the compositor, under 100 frames/s" \
    awk '{ last = $1 } END { exit !(last > 0 && last < 100) }' <(rates "idle (1 ms after each frame)")
# The title bar's close button (libdecor's) closes the window.
read -r x y < <(sed -n 's/^a 640x480 area at \([0-9]*\),\([0-9]*\)$/\1 \2/p' "$work/find.txt")
xdotool mousemove $((${x:-0} + 320)) $((${y:-0} - 12))
sleep 0.3
xdotool mousemove $((${x:-0} + 640 - 12)) $((${y:-0} - 12))
sleep 0.3
xdotool click 1
wait_for_exit 5
check "Wayland: the close button in the title bar quits, exit 0" test "$app_status" = 0

# Full screen: the whole output, the frame exact from its top-left (the pointer hidden over
# it), and no more frames a second than the cap.
start_wayland_app --fullscreen --max-fps 120 --fps
sleep 2
timeout 120 "$probe" match 0 0 1920 1080 >"$work/fullscreen.txt"
check "Wayland --fullscreen: the screen shows a frame of the lit solid" test $? -eq 0
cat "$work/fullscreen.txt"
check "Wayland --fullscreen: the frame on screen is exact" grep -q ", 0 pixels differ" "$work/fullscreen.txt"
check "Wayland --max-fps 120: between 30 and 125 frames/s" \
    awk '$1 < 30 || $1 > 125 { bad = 1 } END { exit bad || NR == 0 }' <(rates "capped at 120")
kill -TERM "$app_pid" 2>/dev/null
wait_for_exit 10
# A 2x2 area shows none of the solid, so no frame changes: each is committed all the same, or
# the buffer shown, which the compositor keeps until another replaces it, would come round
# in the ring and never be handed back.
start_wayland_app --size 2x2 --fps
sleep 3
check "Wayland --size 2x2: unchanged frames go on being drawn" \
    awk '{ last = $1 } END { exit !(last > 100) }' <(rates "full speed")
kill -TERM "$app_pid" 2>/dev/null
wait_for_exit 10
# The compositor goes away: one line and status 1, as when an X server does.
start_wayland_app
sleep 2
kill -9 "$weston_pid"
wait "$weston_pid" 2>/dev/null
weston_pid=""
wait_for_exit 2
check "Wayland compositor gone: exit 1" test "$app_status" = 1
check "Wayland compositor gone: says so" test "$(tail -n 1 "$work/app.err")" = \
    "quorvel: lost the connection to the Wayland compositor"

finish
