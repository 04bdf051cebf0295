#!/usr/bin/env bash
# The windowed program end to end on a private Xvfb screen: caption, placement, the picture
# it shows, Space, Escape, closing the window, and no display at all. Every wait is bounded.
set -u
quorvel=$1
probe=$2
caption="Quorvel, press space -> speed - full/idle "
source "$(dirname "$0")/session.sh"

# With $stack_kib set, under that stack limit.
start_app() {
    local run=("$quorvel")
    [[ -n ${stack_kib:-} ]] && run=(bash -c 'ulimit -s "$0" && exec "$@"' "$stack_kib" "$quorvel")
    "${run[@]}" "$@" 2>"$work/app.err" &
    app_pid=$!
    window=$(timeout 10 xdotool search --sync --name "^Quorvel" 2>/dev/null | head -n 1)
}

# Any argument but --help and --version: one line, status 2, no window.
DISPLAY=:99999 timeout 10 "$quorvel" --bogus 2>"$work/bogus.err"
check "unknown option exits 2" test $? -eq 2 -a "$(wc -l <"$work/bogus.err")" -eq 1
DISPLAY=:99999 timeout 10 "$quorvel" --version | grep -q "^quorvel "
check "--version without a display" test "${PIPESTATUS[0]}" -eq 0

# No display: one line and status 1.
DISPLAY=:99999 timeout 10 "$quorvel" 2>"$work/nodisplay.err"
status=$?
check "no display exits 1" test "$status" -eq 1
check "no display message" grep -q "^quorvel: cannot open a window: " "$work/nodisplay.err"

# Video drivers that would draw into nothing are refused.
for driver in dummy offscreen x11,dummy; do
    SDL_VIDEODRIVER=$driver DISPLAY=:99999 timeout 10 "$quorvel" 2>"$work/driver.err"
    check "SDL_VIDEODRIVER=$driver: exit 1" test $? -eq 1
    check "SDL_VIDEODRIVER=$driver: one line" test "$(wc -l <"$work/driver.err")" -eq 1
    check "SDL_VIDEODRIVER=$driver: says it shows no window" grep -q "shows no window" "$work/driver.err"
done

# A screen too small for any window says so.
screen_size=11x11 start_xvfb
timeout 10 "$quorvel" 2>"$work/small.err"
check "11x11 screen: exit 1" test $? -eq 1
check "11x11 screen: says why" test "$(cat "$work/small.err")" = \
    "quorvel: cannot open a window: the screen (11x11) is too small for one"

start_xvfb

# Short of memory at any point of start-up: one line that says so, status 1, or the window
# runs; never a crash. (Too little for the program's libraries stops the loader first.)
for limit in $(seq 20000 4000 60000); do
    (ulimit -v "$limit" && exec timeout 3 "$quorvel") 2>"$work/memory.err"
    status=$?
    if [[ $status -eq 127 ]]; then
        check "ulimit -v $limit: only the loader refuses" grep -q "error while loading shared libraries" "$work/memory.err"
    elif [[ $status -ne 124 ]]; then
        check "ulimit -v $limit: exit 1 (got $status)" test "$status" -eq 1
        check "ulimit -v $limit: one line on memory" grep -q "^quorvel: .*out of memory" "$work/memory.err"
    fi
done

# Out of memory for the frame buffers once the window is open (a 16384x16384 window needs
# over 3 GiB): a run nobody watches ends, with status 1 and one line, and no message box
# waits for a click (that is only for --error-box, which the desktop entry passes).
(ulimit -v 2000000 && exec timeout 10 "$quorvel" --size 16384x16384) 2>"$work/buffers.err"
status=$?
check "out of memory for the frame buffers: exit 1, not held by a box (got $status)" test "$status" -eq 1
check "out of memory for the frame buffers: one line" test "$(cat "$work/buffers.err")" = \
    "quorvel: Startup failed: out of memory for frame buffers of 16384x16384"

start_app
check "window appears" test -n "$window"
check "exact caption" test "$(xdotool getwindowname "$window")" = "$caption"
geometry=$(xdotool getwindowgeometry "$window")
check "client area at the top-left" grep -q "Position: 0,0" <<<"$geometry"
check "client area 1910x1070" grep -q "Geometry: 1910x1070" <<<"$geometry"

sleep 1
timeout 120 "$probe" match 0 0 1910 1070 >"$work/match.txt"
check "shows a frame of the lit solid" test $? -eq 0
cat "$work/match.txt"
# Xvfb keeps our colours: the frame on screen is one the renderer draws, to the bit.
check "the frame on screen is exact" grep -q ", 0 pixels differ" "$work/match.txt"

xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key space
sleep 0.5
wait_for_exit 0
check "runs on after Space" test "$app_status" = running
xdotool key space
xdotool key Escape
wait_for_exit 10
check "Escape exits 0" test "$app_status" = 0

# A flood of mouse motion does not keep Escape waiting: every queued event is handled
# each frame.
start_app
xdotool windowfocus --sync "$window" 2>/dev/null
moves=()
for _ in $(seq 1000); do moves+=(mousemove --window "$window" $((RANDOM % 1900)) $((RANDOM % 1060))); done
xdotool "${moves[@]}"
xdotool key Escape
wait_for_exit 1
check "Escape after 1000 mouse motions: exit 0 within a second" test "$app_status" = 0

start_app
sleep 0.5
"$probe" close "$window"
wait_for_exit 10
check "closing the window exits 0" test "$app_status" = 0

# Intel's tables in the window: the frame on screen is the one they draw, on any processor;
# and a small stack is enough (about 32 KiB is): nothing large is kept on it.
stack_kib=64 start_app --approx intel
sleep 1
timeout 120 "$probe" match 0 0 1910 1070 intel >"$work/match-intel.txt"
cat "$work/match-intel.txt"
check "--approx intel: the frame on screen is exact" grep -q ", 0 pixels differ" "$work/match-intel.txt"
xdotool key --window "$window" Escape
wait_for_exit 10

# --size asks for the client area, --fps reports once a second, a signal ends the program
# with 128 + its number.
start_app --size 800x600 --fps >"$work/fps.txt"
check "--size 800x600: client area 800x600" grep -q "Geometry: 800x600" <<<"$(xdotool getwindowgeometry "$window")"
sleep 2.5
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key space
sleep 2.5
kill -TERM "$app_pid"
wait_for_exit 10
check "SIGTERM: status 143" test "$app_status" = 143
check "--fps: frame rate at full speed" grep -qE '^[0-9]+\.[0-9] frames/s, full speed; a frame: drawing [0-9.]+ ms, presenting [0-9.]+ ms, waiting for the window system [0-9.]+ ms, the rest [0-9.]+ ms$' "$work/fps.txt"
check "--fps: then idle after Space" grep -qE '^[0-9]+\.[0-9] frames/s, idle \(1 ms after each frame\); a frame: drawing' "$work/fps.txt"
# --fullscreen: the whole screen from its top-left, the caption kept, the frame on screen
# exact; --max-fps: no more frames a second than the cap, and --fps names it.
start_app --fullscreen --max-fps 100 --fps >"$work/capped.txt"
geometry=$(xdotool getwindowgeometry "$window")
check "--fullscreen: the whole screen" grep -q "Position: 0,0.*Geometry: 1920x1080" <<<"$(tr '\n' ' ' <<<"$geometry")"
check "--fullscreen: the caption kept" test "$(xdotool getwindowname "$window")" = "$caption"
sleep 1.5
timeout 120 "$probe" match 0 0 1920 1080 >"$work/match-fullscreen.txt"
cat "$work/match-fullscreen.txt"
check "--fullscreen: the frame on screen is exact" grep -q ", 0 pixels differ" "$work/match-fullscreen.txt"
kill -TERM "$app_pid"
wait_for_exit 10
check "--max-fps 100: between 30 and 105 frames/s, capped at 100" awk '$1 < 30 || $1 > 105 { bad = 1 }
    END { exit bad || NR == 0 }' <(sed -n 's/^\([0-9.]*\) frames\/s, capped at 100;.*/\1/p' "$work/capped.txt")
# --fps into output that cannot take it: one line and status 1 at the first report; a
# reader that goes away ends the program quietly, as a closed pipe ends any other.
timeout 10 "$quorvel" --size 64x48 --fps >/dev/full 2>"$work/full.err"
status=$?
check "--fps into a full device: exit 1 (got $status)" test "$status" -eq 1
check "--fps into a full device: one line" grep -qx "quorvel: cannot write the frame rate: .*" "$work/full.err"
check "--fps into a full device: only that line" test "$(wc -l <"$work/full.err")" -eq 1
# Started with standard output closed: the report fails, never the window system's
# connection that took its place.
timeout 10 "$quorvel" --size 64x48 --fps >&- 2>"$work/closed.err"
status=$?
check "--fps with standard output closed: exit 1 (got $status)" test "$status" -eq 1
check "--fps with standard output closed: says why" \
    grep -qx "quorvel: cannot write the frame rate: Bad file descriptor" "$work/closed.err"
timeout 10 "$quorvel" --size 64x48 --fps 2>"$work/pipe.err" | head -c 0
status=${PIPESTATUS[0]}
check "--fps into a closed pipe: status 141 (got $status)" test "$status" -eq 141
check "--fps into a closed pipe: quiet" test ! -s "$work/pipe.err"
# (A background job of this script ignores SIGINT, as it was started.)
start_app
kill -HUP "$app_pid"
wait_for_exit 10
check "SIGHUP: status 129" test "$app_status" = 129

# Without shared memory frames are sent with XPutImage, which must show them just as
# exactly. A grab there can catch the server between the parts of one large image, so it
# gets three tries.
start_xvfb -extension MIT-SHM
start_app
sleep 1
exact=no
for _ in 1 2 3; do
    timeout 120 "$probe" match 0 0 1910 1070 >"$work/match-copied.txt"
    grep -q ", 0 pixels differ" "$work/match-copied.txt" && exact=yes && break
done
cat "$work/match-copied.txt"
check "without shared memory the frame on screen is exact" test "$exact" = yes
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key Escape
wait_for_exit 10
check "without shared memory Escape exits 0" test "$app_status" = 0

finish
