# Shared by the end-to-end scripts (sourced, not run): counted checks, a private Xvfb screen
# and one application process, all cleaned up on exit. Every wait is bounded.

work=$(mktemp -d)
xvfb_pid=""
app_pid=""

# Extra clean-up a script needs before the screen goes away.
before_cleanup() { :; }

cleanup() {
    [[ -n $app_pid ]] && kill -9 "$app_pid" 2>/dev/null
    before_cleanup
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"

# A screen of $screen_size (1920x1080 unless set) and depth $screen_depth (24 unless set) on the first free display, with
# any extra Xvfb options given; exports DISPLAY. A screen started before is stopped first.
start_xvfb() {
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "${screen_size:-1920x1080}x${screen_depth:-24}" -nolisten tcp "$@" 3>"$work/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$work/display")"
}

# Waits up to $1 seconds for the app to end; sets app_status to its exit status, or
# "running".
wait_for_exit() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$app_pid" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.1; done
    if kill -0 "$app_pid" 2>/dev/null; then
        app_status=running
    else
        wait "$app_pid"
        app_status=$?
        app_pid=""
    fi
}
