#!/usr/bin/env bash
# Runs a sanitizer build's share of the tests; any report fails the run. Both builds run the
# unit tests (with the worker fallback and the windowed program on a fake window system), the
# command-line scripts and a short --verify. AddressSanitizer and UndefinedBehaviorSanitizer also replay the
# fuzz corpus and draw the edge sizes: whole cycles at 2x2 and 64x48, the largest-zoom stretch
# at 1910x1070 and 3830x2150. ThreadSanitizer draws the largest-zoom stretch at 1910x1070,
# where the band workers share the most, with two workers and with seven. Whole cycles at
# large sizes run in make test.
#   sanitizer_run.sh BUILD_DIR address|thread
set -euo pipefail
build=$1
sanitizer=$2
here=$(dirname "$0")
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1}
export QUORVEL_SANITIZED=1

draw() {  # draw SIZE FROM FRAMES [OPTIONS...]
    local start=$SECONDS size=$1 from=$2 frames=$3
    shift 3
    "$build/quorvel-render" --size "$size" --from "$from" --frames "$frames" --save none --hash "$@" >/dev/null
    echo "quorvel-render $size, frames $from to $((from + frames - 1)) $*: clean in $((SECONDS - start)) s"
    steps=$((steps + 1))
}

# The exhaustive model check and the whole-cycle comparison run once, in make test; the
# frames below are drawn (and hashed by the workers) under the sanitizer instead.
"$build/tests/quorvel_unit_tests" --gtest_brief=1 --gtest_filter=-ApproxModelExhaustive.*:RenderFrame.WholeCycle*:*/WholeCycle.*:KnownFrameHashesSample.*
"$build/tests/worker_fallback_tests" --gtest_brief=1
"$build/tests/shell_tests" --gtest_brief=1
"$here/cli/render_cli_test.sh" "$build/quorvel-render"
"$here/cli/hostile_fs_test.sh" "$build/quorvel-render"
# --verify's worker processes, a few frames each (its whole test runs in make test).
"$build/quorvel-render" --verify --size 320x240 --frames 30 -q >/dev/null
steps=6
# Frames 1140 to 1379 hold the largest zoom (frame 1261).
if [[ $sanitizer == address ]]; then
    "$build/tests/raster_fuzz_replay" "$here/fuzz/corpus" 2>/dev/null
    steps=$((steps + 1))
    draw 2x2 0 1824
    draw 64x48 0 1824
    draw 1910x1070 1140 240
    draw 3830x2150 1140 240
else
    draw 1910x1070 1140 240
    # Seven workers on two processors: more sharing, and the pool's start and finish.
    draw 1910x1070 1240 40 --threads 7
fi
# Any failure above has already ended the run (set -e).
echo "sanitizers: $steps passed, 0 failed"
