#pragma once

// Two blocks of eight pixels, one value a register, for drawSpanAvx512's shading: the walk
// steps and transposes them eight at a time, as drawSpanAvx2's does. Part of drawSpanAvx512,
// built for AVX-512 like every raster/*_avx512.h: only draw_span_avx512.cpp and these headers
// include them (tests/avx2_isolation_test.sh). Invariants cited by number are listed at the
// top of draw_span_avx2.cpp.

#include <immintrin.h>

#include "numeric/approx_math_avx512.h"
#include "raster/pixel_block_avx2.h"

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512dq,avx512vl")

namespace quorvel {
namespace {

inline __m512 add(__m512 a, __m512 b) { return _mm512_add_ps(a, b); }
inline __m512 mul(__m512 a, __m512 b) { return _mm512_mul_ps(a, b); }

// Sixteen pixels, the first block's in lanes 0 to 7.
struct PixelPair {
    __m512 u, v, z, nx, ny, nz, nw;
};

// Off the general path the fourth normal lane is a zero (relies on invariant 1), as
// transpose leaves it.
template <bool general>
inline PixelPair joinBlocks(const PixelBlock& first, const PixelBlock& second) {
    return {joinHalves(first.u, second.u),
            joinHalves(first.v, second.v),
            joinHalves(first.z, second.z),
            joinHalves(first.nx, second.nx),
            joinHalves(first.ny, second.ny),
            joinHalves(first.nz, second.nz),
            general ? joinHalves(first.nw, second.nw) : _mm512_setzero_ps()};
}

}  // namespace
}  // namespace quorvel

#pragma GCC pop_options
