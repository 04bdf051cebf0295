#!/usr/bin/env bash
# The Windows build under Wine: the same frames to the bit as the Linux build, and the
# window's caption, client area and ways out. Every wait is bounded.
#   wine_test.sh WINDOWS_BUILD_DIR LINUX_QUORVEL_RENDER WINDOW_PROBE
set -u
windows=$(realpath "$1")
linux_render=$(realpath "$2")
probe=$(realpath "$3")
if [[ ! -x $windows/quorvel.exe || ! -x $windows/quorvel-render.exe ]] || ! command -v wine >/dev/null; then
    echo "skipped: no Windows build in $windows, or no wine (make windows builds it)"
    exit 77
fi
caption="Quorvel, press space -> speed - full/idle "
source "$(dirname "$0")/../e2e/session.sh"
export WINEPREFIX=$windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
before_cleanup() { timeout 20 wineserver -k 2>/dev/null; }

start_xvfb

# The frames are our own arithmetic, compiled alike; the one input from the platform's
# library is the rotation's cosine and sine, which repeat every 512 frames. So: every
# rotation at 640x480, and the largest zoom (frame 1261) at 1910x1070.
for run in "640x480 0 512" "1910x1070 1200 120"; do
    read -r size from frames <<<"$run"
    timeout 600 wine "$windows/quorvel-render.exe" --size "$size" --from "$from" --frames "$frames" --hash \
        --save none --bench 2>/dev/null | tr -d '\r' >"$work/windows.txt"
    "$linux_render" --size "$size" --from "$from" --frames "$frames" --hash --save none >"$work/linux.txt"
    check "frames $from to $((from + frames - 1)) at $size hash as on Linux" \
        cmp -s <(grep '^frame' "$work/windows.txt") "$work/linux.txt"
    grep '^bench' "$work/windows.txt"
done

# MinGW's getopt_long reads options as glibc's does, and mistakes are said the same way.
for args in "--hash=yes" "--fr 1" "--size" "-x" "extra" "--fram=2 --si=16x16 --save none --hash" "-qo" \
    "--texture=t.png" "--bench-p t.svg" "-q-" "-- --hash"; do
    # shellcheck disable=SC2086 # the options are words
    windows_said=$(timeout 60 wine "$windows/quorvel-render.exe" $args 2>&1 | tr -d '\r' | md5sum)
    # shellcheck disable=SC2086
    linux_said=$("$linux_render" $args 2>&1 | md5sum)
    check "options '$args': as on Linux" test "$windows_said" = "$linux_said"
done

# Streams are bytes, never text: the same on Windows as on Linux.
for format in ppm y4m; do
    timeout 120 wine "$windows/quorvel-render.exe" --size 64x48 --frames 3 --out - --format "$format" \
        >"$work/windows.$format" 2>/dev/null
    "$linux_render" --size 64x48 --frames 3 --out - --format "$format" >"$work/linux.$format"
    check "--out - as $format: the Linux stream to the byte" cmp -s "$work/windows.$format" "$work/linux.$format"
done
# A reader that goes away ends the program quietly, as on Linux.
timeout 120 wine "$windows/quorvel-render.exe" --size 64x48 --frames 500 --out - 2>"$work/pipe.err" | head -c 100 >/dev/null
check "closed pipe: quiet" test ! -s "$work/pipe.err"
# Paths beyond the code page: folders and files named in any script.
for folder in café 日本; do
    (cd "$work" && timeout 120 wine "$windows/quorvel-render.exe" --size 16x16 --out "$folder" 2>/dev/null)
    check "--out $folder" test -f "$work/$folder/frame-00000.png"
done
# The system's words for an error come whole and in UTF-8, in the user's language (Wine takes
# it from LANG): a folder where a frame goes makes Windows refuse the rename, access denied.
mkdir -p "$work/blocked/frame-00000.png"
(cd "$work" && LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 timeout 120 wine "$windows/quorvel-render.exe" \
    --size 16x16 --out blocked -q 2>"$work/blocked.err")
check "a folder in the way: status 1" test $? = 1
tr -d '\r' <"$work/blocked.err" >"$work/blocked.line"
check "a Russian system message: valid UTF-8" iconv -f UTF-8 -t UTF-8 -o /dev/null "$work/blocked.line"
check "a Russian system message: whole, on one line" \
    grep -qxE "quorvel-render: cannot write 'blocked.frame-00000.png': Доступ запрещ(е|ё)н" "$work/blocked.line"
# --verify runs each worker as a process of its own, which this build does not start yet:
# it says so in one line and refuses with status 2, drawing nothing.
timeout 120 wine "$windows/quorvel-render.exe" --verify --duration 2s >"$work/verify.out" 2>"$work/verify.err"
status=$?
check "--verify: refused with status 2 (got $status)" test "$status" -eq 2
check "--verify: one line saying why" grep -qx "quorvel-render: --verify is not in the Windows build yet: .*" \
    <(tr -d '\r' <"$work/verify.err")


start_app() {
    wine "$windows/quorvel.exe" "$@" 2>"$work/app.err" &
    app_pid=$!
    window=$(timeout 60 xdotool search --sync --name "^Quorvel" 2>/dev/null | head -n 1)
}

start_app
check "window appears" test -n "$window"
check "exact caption" test "$(xdotool getwindowname "$window" 2>/dev/null)" = "$caption"
# The X window is the client area; Windows' frame around it (borders as wide left, right and
# below, a caption above) starts at the screen's top-left, and the drawing area is the screen
# less that frame less 10 pixels each way, rounded down to even.
geometry=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)
geometry_value() { sed -n "s/^$1=//p" <<<"$geometry"; }
x=$(geometry_value X) y=$(geometry_value Y) w=$(geometry_value WIDTH) h=$(geometry_value HEIGHT)
echo "client area ${w}x$h at $x,$y"
check "a frame with a caption around the client area" test "${x:-0}" -gt 0 -a "${y:-0}" -gt "${x:-0}"
check "client area: the screen less the frame less 10, even" \
    test "${w:-0}" -eq $(((1920 - 2 * x - 10) & ~1)) -a "${h:-0}" -eq $(((1080 - y - x - 10) & ~1))
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key space
sleep 0.3
xdotool key space Escape
wait_for_exit 20
check "Escape exits 0" test "$app_status" = 0

# Full screen: a window without a frame, the screen's size, its caption kept for the task bar.
start_app --fullscreen
geometry=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)
x=$(geometry_value X) y=$(geometry_value Y) w=$(geometry_value WIDTH) h=$(geometry_value HEIGHT)
check "--fullscreen: the whole screen" test "$x,$y ${w}x$h" = "0,0 1920x1080"
check "--fullscreen: the caption kept" test "$(xdotool getwindowname "$window" 2>/dev/null)" = "$caption"
"$probe" close "$window"
wait_for_exit 20
check "--fullscreen: closing the window exits 0" test "$app_status" = 0

start_app
sleep 1
"$probe" close "$window"
wait_for_exit 20
check "closing the window exits 0" test "$app_status" = 0

# Another X client destroys the X window behind ours: no Win32 message tells of it.
start_app
sleep 1
xdotool windowclose "$window"
wait_for_exit 1
check "X window destroyed from outside: exit 1 within a second" test "$app_status" = 1
check "X window destroyed from outside: one line" \
    test "$(tr -d '\r' <"$work/app.err")" = "quorvel: the window was destroyed by another program"

# Another X client ends our connection to the display.
start_app
sleep 1
xdotool windowkill "$window"
wait_for_exit 5
check "connection killed from outside: the process ends" test "$app_status" != running -a "$app_status" != 0

finish
