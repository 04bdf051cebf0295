#!/usr/bin/env bash
# Runs the unit tests (with the worker fallback and the windowed program on a fake window
# system), the fuzz corpus, the command-line tests and a full zoom cycle of quorvel-render at
# four sizes from a sanitizer build; any report fails the run.
#   sanitizer_run.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(dirname "$0")
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1}
export QUORVEL_SANITIZED=1

# The exhaustive model check runs once, in make test.
"$build/tests/quorvel_unit_tests" --gtest_brief=1 --gtest_filter=-ApproxModelExhaustive.*
"$build/tests/worker_fallback_tests" --gtest_brief=1
"$build/tests/shell_tests" --gtest_brief=1
"$build/tests/raster_fuzz_replay" "$here/fuzz/corpus" 2>/dev/null
"$here/cli/render_cli_test.sh" "$build/quorvel-render"
"$here/cli/hostile_fs_test.sh" "$build/quorvel-render"
steps=6
for size in 1910x1070 2x2 64x48 3830x2150; do
    start=$SECONDS
    "$build/quorvel-render" --size "$size" --frames 1824 --save none >/dev/null
    echo "quorvel-render $size: 1824 frames clean in $((SECONDS - start)) s"
    steps=$((steps + 1))
done
# Any failure above has already ended the run (set -e).
echo "sanitizers: $steps passed, 0 failed"
