#!/usr/bin/env bash
# The window on Wayland beside X11, side by side on one machine:
#   wayland_bench.sh QUORVEL SDL_PATH_QUORVEL [ROUNDS]
# SDL_PATH_QUORVEL is a build whose Wayland frames go through SDL's window surface (the last
# commit before the Wayland presenter). At 1280x720 flat out, from --fps: QUORVEL under
# weston's X11 backend nested in Xvfb (weston's default renderer, then pixman), the SDL path
# on the same compositor, and QUORVEL's X11 presenter straight on the same Xvfb, ROUNDS (3)
# rounds taken in turn; the median time presenting takes a frame on Wayland; then the
# processor time --max-fps 60 takes at 1910x1070 (the default window), on X11 and Wayland.
set -u
quorvel=$1
sdl_path=$2
rounds=${3:-3}
source "$(dirname "$0")/../tests/e2e/session.sh"
source "$(dirname "$0")/median.sh"
weston_pid=""
stop_weston() {
    [[ -n $weston_pid ]] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
    weston_pid=""
}
before_cleanup() { stop_weston; }
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
start_weston() {  # start_weston [--use-pixman]
    stop_weston
    rm -f "$XDG_RUNTIME_DIR"/wl-bench*
    weston --socket=wl-bench --idle-time=0 --no-config --backend=x11-backend.so --width=1920 --height=1080 \
        "$@" >"$work/weston.log" 2>&1 &
    weston_pid=$!
    for _ in $(seq 100); do [[ -S $XDG_RUNTIME_DIR/wl-bench ]] && break; sleep 0.1; done
    sleep 1
}

# Runs PROGRAM for SECONDS with --fps, on X11 or on weston, and prints each report but the
# first (start-up) as "RATE PRESENTING_MS WAITING_MS" (waiting 0 from builds that counted it
# as presenting).
fps_run() {  # fps_run SECONDS x11|wayland PROGRAM ARGUMENTS...
    local seconds=$1 where=$2
    shift 2
    if [[ $where == wayland ]]; then
        env -u DISPLAY WAYLAND_DISPLAY=wl-bench "$@" --fps >"$work/fps.txt" 2>/dev/null &
    else
        "$@" --fps >"$work/fps.txt" 2>/dev/null &
    fi
    app_pid=$!
    sleep "$seconds"
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
    tail -n +2 "$work/fps.txt" | sed -n -e 's/^\([0-9.]*\) frames\/s.*presenting \([0-9.]*\) ms, waiting for the window system \([0-9.]*\) ms.*/\1 \2 \3/p' \
        -e 't' -e 's/^\([0-9.]*\) frames\/s.*presenting \([0-9.]*\) ms.*/\1 \2 0/p'
}

# "RATE PRESENTING WAITING", each the median of fps_run's seconds in $work/seconds.txt.
medians() {
    echo "$(cut -d' ' -f1 "$work/seconds.txt" | median) $(cut -d' ' -f2 "$work/seconds.txt" | median)" \
        "$(cut -d' ' -f3 "$work/seconds.txt" | median)"
}

# One round: "NAME RATE PRESENTING WAITING" for each set-up, each the median of its seconds.
round() {
    local name where program renderer
    stop_weston
    fps_run 7 x11 "$quorvel" --size 1280x720 >"$work/seconds.txt"
    echo "x11 $(medians)"
    for renderer in gl pixman; do
        if [[ $renderer == gl ]]; then start_weston; else start_weston --use-pixman; fi
        for name in ours sdl; do
            program=$quorvel
            [[ $name == sdl ]] && program=$sdl_path
            fps_run 7 wayland "$program" --size 1280x720 >"$work/seconds.txt"
            echo "$name-$renderer $(medians)"
        done
    done
    stop_weston
}

# The share of one processor a run takes over 10 seconds, after 2 to start.
cpu_use() {  # cpu_use x11|wayland PROGRAM ARGUMENTS...
    local where=$1
    shift
    if [[ $where == wayland ]]; then
        env -u DISPLAY WAYLAND_DISPLAY=wl-bench "$@" >/dev/null 2>&1 &
    else
        "$@" >/dev/null 2>&1 &
    fi
    app_pid=$!
    sleep 2
    local before after
    before=$(awk '{ print $14 + $15 }' "/proc/$app_pid/stat")
    sleep 10
    after=$(awk '{ print $14 + $15 }' "/proc/$app_pid/stat")
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=""
    awk -v ticks=$((after - before)) -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f\n", 100 * ticks / hz / 10 }'
}

start_xvfb
for ((r = 1; r <= rounds; ++r)); do
    round >"$work/round.txt"
    cat "$work/round.txt" >&2
    cat "$work/round.txt" >>"$work/results.txt"
done
results=$(cat "$work/results.txt")
pick() { awk -v n="$1" -v f="$2" '$1 == n { print $f }' <<<"$results" | median; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
x11=$(pick x11 2)
echo "window at 1280x720 flat out, frames/s, median of $rounds rounds (presenting a frame;" \
    "waiting for the window system to hand one back; medians):"
echo "  X11 presenter straight on Xvfb: $x11 ($(pick x11 3) ms; $(pick x11 4) ms)"
for renderer in gl pixman; do
    ours=$(pick "ours-$renderer" 2) sdl=$(pick "sdl-$renderer" 2)
    echo "  weston ($renderer renderer): Wayland presenter $ours ($(pick "ours-$renderer" 3) ms;" \
        "$(pick "ours-$renderer" 4) ms), SDL's path $sdl;" \
        "$(ratio "$ours" "$sdl")x SDL's path, $(ratio "$ours" "$x11") of X11's rate"
done

echo "--max-fps 60 at 1910x1070, share of one processor over 10 s:"
echo "  X11 on Xvfb: $(cpu_use x11 "$quorvel" --max-fps 60) %"
start_weston --use-pixman
echo "  Wayland, weston (pixman renderer): $(cpu_use wayland "$quorvel" --max-fps 60) %"
stop_weston
