#!/usr/bin/env bash
# The ARM64 build (make arm64) under qemu-aarch64: the NEON span routine is its default; with
# Intel's model, its default there, frames at 1910x1070 around the largest zoom are those x86
# draws with --approx intel; AMD's model gives the AMD frames; native is refused; nothing in the
# NEON routine fuses a multiply and an add; the unit tests pass, the NEON routine's span
# equivalence, a small whole cycle against the reference and the golden frames among them (the
# whole cycle at 320x240 hashing as an Intel Xeon drew it); the Debian package is arm64's and
# lintian finds no error in it.
#   arm64_test.sh ARM64_BUILD_DIR GOLDEN_DIR QUORVEL_RENDER
set -u
source "$(dirname "$0")/../checks.sh"
build=$1
golden=$2
native=$3
if [[ ! -x $build/quorvel-render ]] || ! command -v qemu-aarch64 >/dev/null; then
    echo "skipped: no ARM64 build in $build, or no qemu-aarch64 (make arm64 builds it)"
    exit 77
fi
arm64() { qemu-aarch64 -L /usr/aarch64-linux-gnu "$@"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check "--version: neon is the span routine" grep -q "^span routine: neon " <<<"$(arm64 "$build/quorvel-render" --version)"
# -ffp-contract=off keeps the compiler from fusing; fused intrinsics would have to be written out.
check "no fused multiply-add in the NEON routine" test -z "$(aarch64-linux-gnu-objdump -d \
    "$build/CMakeFiles/quorvel_raster.dir/src/raster/draw_span_neon.cpp.o" | grep -E '\sf(n?m(add|sub)|ml[as])\s')"

full=(--size 1910x1070 --from 1241 --frames 40 --hash --save none -q)
start=$SECONDS
arm64 "$build/quorvel-render" "${full[@]}" >"$work/full.txt"
echo "40 frames at 1910x1070 under qemu in $((SECONDS - start)) s"
"$native" --approx intel "${full[@]}" >"$work/full-x86.txt"
check "1910x1070 around the largest zoom: x86's --approx intel frames" cmp -s "$work/full.txt" "$work/full-x86.txt"

check "--approx amd: the AMD frame" test "$(arm64 "$build/quorvel-render" --approx amd --size 640x480 --from 1261 \
    --hash --save none)" = "frame 1261 hash $(awk '$1 == "640x480" && $2 == 1261 {print $3}' "$golden/amd_frame_hashes.txt")"

arm64 "$build/quorvel-render" --approx native >"$work/out.txt" 2>"$work/err.txt"
status=$?
check "--approx native: exit 2" test "$status" = 2
check "--approx native: one line" test "$(wc -l <"$work/err.txt")" = 1 -a ! -s "$work/out.txt"

# The larger whole cycles run natively already and take many minutes under emulation, and
# qemu-user stalls with many threads waiting for each other at once (the pool tests' 64 and
# 70 workers, and the twelve worker threads that wait for one another; quorvel-render's own
# workers run above): these run natively only; the rest of the unit tests run here. A name
# left out that no longer names a test would silently let a slow one back in: each must match one.
left_out=(RenderFrame.WholeCycleMatchesTheReference WorkerPool.* WorkerThread.ManyAtOnceAllRunAndAreWaitedFor)
listed=$(arm64 "$build/tests/quorvel_unit_tests" --gtest_list_tests |
    awk '/^[^ ]/ {suite = $1} /^  / {print suite $1}')
for pattern in "${left_out[@]}"; do
    # shellcheck disable=SC2053
    check "left out under qemu: $pattern names a test" grep -q "^${pattern//\*/.*}$" <<<"$listed"
done
for ran in SpanEquivalence.MatchesTheReferenceBitForBit/neon RenderFrame.WholeCycleAtASmallSizeMatchesTheReference \
    GoldenFrames.EachMakersHashesMatchWithItsModel; do
    check "under qemu: $ran is a test" grep -q "$ran" <<<"$listed"
done
start=$SECONDS
check "unit tests" arm64 "$build/tests/quorvel_unit_tests" --gtest_brief=1 \
    --gtest_filter=-"$(IFS=:; echo "${left_out[*]}")"
echo "unit tests under qemu in $((SECONDS - start)) s"

# The package of the cross build (make package-arm64), made here into a folder of its own.
if [[ -f $build/CPackConfig.cmake ]]; then
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null
    deb=$(ls "$work"/package/quorvel_*_arm64.deb 2>/dev/null | head -n 1)
    check "arm64 package built" test -f "$deb"
    check "package architecture arm64" test "$(dpkg-deb -f "$deb" Architecture)" = arm64
    check "dependencies computed for arm64" grep -q "libsdl2" <<<"$(dpkg-deb -f "$deb" Depends)"
    dpkg-deb -x "$deb" "$work/root"
    check "the window program is packaged for ARM64" grep -q "Machine: *AArch64" \
        <<<"$(aarch64-linux-gnu-readelf -h "$work/root/usr/bin/quorvel")"
    if command -v lintian >/dev/null; then
        lintian "$deb" >"$work/lintian.txt" 2>&1
        check "lintian finds no error in the arm64 package" test -z "$(grep '^E:' "$work/lintian.txt")"
        grep '^[EW]:' "$work/lintian.txt"
    fi
fi
finish
