# Counted checks for the test scripts (sourced, not run): check NAME CONDITION... counts a
# pass or prints the failure; finish prints the closing line and fails if anything failed.
passed=0
failed=0

check() {
    local name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $name"; fi
}

# Waits, up to half a minute, until a hidden temporary appears in FOLDER: a frame is being
# written there.
wait_for_partial() {  # FOLDER
    for _ in $(seq 600); do
        [[ -n $(find "$1" -name '*.partial') ]] && return 0
        sleep 0.05
    done
    return 1
}

finish() {
    echo "$passed passed, $failed failed"
    test "$failed" -eq 0
}
