#!/usr/bin/env bash
# The span routines built for different instruction sets share no AVX code. Unoptimised, the
# inline helpers both files use are emitted in each, and the linker keeps one copy for both:
# the AVX2 file's copies must then be plain code, or the reference routine, the one for
# processors without AVX2, would run AVX instructions. The AVX2 routine's own headers
# (src/raster/*_avx2.h but draw_span_avx2.h) build their code for AVX2: only the AVX2 file and
# those headers may include them, and each must end its AVX2 target where it ends.
#   span_isa_test.sh CXX SOURCE_DIR
set -u
source "$(dirname "$0")/checks.sh"
cxx=$1
sources=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for file in draw_span_avx2 draw_span_reference; do
    "$cxx" -std=c++20 -O0 -ffp-contract=off -ffunction-sections -I"$sources/src" -c \
        "$sources/src/raster/$file.cpp" -o "$work/$file.o" || exit 1
done
weak() { nm "$1" | awk '$2 == "W" { print $3 }' | sort -u; }
shared=$(comm -12 <(weak "$work/draw_span_avx2.o") <(weak "$work/draw_span_reference.o"))
check "the two files share inline helpers (else this test checks nothing)" test -n "$shared"
for symbol in $shared; do
    code=$(objdump -d --no-show-raw-insn --disassemble="$symbol" "$work/draw_span_avx2.o")
    check "$(c++filt "$symbol") in the AVX2 file is plain code" \
        test -z "$(grep -E '%ymm|^\s+[0-9a-f]+:\s+v[a-z]' <<<"$code")"
done

headers=$(cd "$sources/src" && ls raster/*_avx2.h | grep -vx raster/draw_span_avx2.h)
check "the AVX2 routine has headers of its own (else this part checks nothing)" test -n "$headers"
for header in $headers; do
    includers=$(grep -rlF "#include \"$header\"" "$sources/src" "$sources/apps" "$sources/tests" \
        "$sources/bench" | grep -vE '/src/raster/([a-z0-9_]+_avx2\.h|draw_span_avx2\.cpp)$')
    check "$header is included by the AVX2 routine alone (not by: $includers)" test -z "$includers"
    check "$header ends its AVX2 target" test "$(grep -c '^#pragma GCC \(push\|pop\)_options' \
        "$sources/src/$header")" -eq 2
done
finish
