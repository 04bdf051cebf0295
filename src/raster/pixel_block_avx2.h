#pragma once

// Eight pixels of a span, held two ways: as the walk steps them, one pixel a register, and as
// shading takes them, one value a register. Part of drawSpanAvx2, built for AVX2 like every
// raster/*_avx2.h (and for AVX-512 in the routines built from it): only the draw_span_avx*.cpp
// files and the *_avx2.h and *_avx512.h headers include them (tests/avx2_isolation_test.sh).
// Invariants cited by number are listed at the top of draw_span_avx2.cpp.

#include <immintrin.h>

#include <cstdint>

#pragma GCC push_options
#pragma GCC target("avx2")

namespace quorvel {
namespace {

constexpr int kLanes = 8;
// Blocks shaded at once: two blocks' operations interleaved keep more of the processor's
// units busy than one block's chain of dependent steps. Loops over blocks, lights and
// channels carry `#pragma GCC unroll`: unrolled, their arrays stay in registers.
constexpr int kMaxBlocks = 2;

// _mm256_shuffle_ps selectors: in each 128-bit half, two lanes of the first operand, then
// two of the second.
constexpr int kLanes01Of01 = _MM_SHUFFLE(1, 0, 1, 0);  // a0 a1 b0 b1
constexpr int kLanes23Of23 = _MM_SHUFFLE(3, 2, 3, 2);  // a2 a3 b2 b3
constexpr int kEvenLanes = _MM_SHUFFLE(2, 0, 2, 0);    // a0 a2 b0 b2
constexpr int kOddLanes = _MM_SHUFFLE(3, 1, 3, 1);     // a1 a3 b1 b3
// _mm256_permute2f128_ps selectors: the low 128-bit halves of both operands, or the high.
constexpr int kLowHalves = 0x20;   // a.low, b.low
constexpr int kHighHalves = 0x31;  // a.high, b.high

inline __m256 add(__m256 a, __m256 b) { return _mm256_add_ps(a, b); }
inline __m256 mul(__m256 a, __m256 b) { return _mm256_mul_ps(a, b); }

// The lanes of a block inside a span, or its nearer pixels, loaded (others zero) and stored;
// the rest may lie outside the buffers. The AVX-512 builds of the routine, which define
// QUORVEL_SPAN_MASK_REGISTERS, move them under a mask register: AVX's masked moves take a
// vector, and its masked stores are slow.
inline __m256 loadLanes(const float* from, __m256i lanes) {
#if QUORVEL_SPAN_MASK_REGISTERS
    return _mm256_maskz_loadu_ps(_mm256_movepi32_mask(lanes), from);
#else
    return _mm256_maskload_ps(from, lanes);
#endif
}

inline void storeLanes(float* to, __m256i lanes, __m256 values) {
#if QUORVEL_SPAN_MASK_REGISTERS
    _mm256_mask_storeu_ps(to, _mm256_movepi32_mask(lanes), values);
#else
    _mm256_maskstore_ps(to, lanes, values);
#endif
}

inline void storeLanes(uint32_t* to, __m256i lanes, __m256i values) {
#if QUORVEL_SPAN_MASK_REGISTERS
    _mm256_mask_storeu_epi32(to, _mm256_movepi32_mask(lanes), values);
#else
    _mm256_maskstore_epi32(reinterpret_cast<int*>(to), lanes, values);
#endif
}

// Eight pixels as the walk steps them, pixel k in register k: its attributes (u, v, z, spare)
// in the low 128 bits and its normal (nx, ny, nz, nw) in the high.
struct SteppedPixels {
    __m256 pixel[kLanes];
};

// The same pixels one value a register, pixel k in lane k.
struct PixelBlock {
    __m256 u, v, z, nx, ny, nz, nw;
};

// The transpose's first step for lanes 2 and 3 of each half: pixels 2k and 2k + 1 interleaved,
// (z z' spare spare' | nz nz' nw nw') in pair k.
struct UpperLanes {
    __m256 pair[4];
};

// Pixel k's depth in lane k. The depths come out first, so that hidden blocks skip the rest of
// the transpose; `upper` gets what transpose takes on from here.
inline __m256 depthsOf(const SteppedPixels& stepped, UpperLanes& upper) {
#pragma GCC unroll 4
    for (int pair = 0; pair < 4; ++pair)
        upper.pair[pair] = _mm256_unpackhi_ps(stepped.pixel[2 * pair], stepped.pixel[2 * pair + 1]);
    return _mm256_permute2f128_ps(_mm256_shuffle_ps(upper.pair[0], upper.pair[1], kLanes01Of01),
                                  _mm256_shuffle_ps(upper.pair[2], upper.pair[3], kLanes01Of01), kLowHalves);
}

// The rest of the transpose, given the depths and upper lanes depthsOf took from `stepped`.
// Unpacking pixel pairs gives (u u' v v' | nx nx' ny ny'); lanes 0 and 1 of two such pairs
// give u of four pixels below and nx of the same four above, and the halves of two of those
// make u and nx of all eight. Off the general path the fourth normal lane is taken as zero
// (relies on invariant 1).
template <bool general>
inline PixelBlock transpose(const SteppedPixels& stepped, const UpperLanes& upper, __m256 z) {
    __m256 lower[4];
#pragma GCC unroll 4
    for (int pair = 0; pair < 4; ++pair)
        lower[pair] = _mm256_unpacklo_ps(stepped.pixel[2 * pair], stepped.pixel[2 * pair + 1]);
    const __m256 uFirst = _mm256_shuffle_ps(lower[0], lower[1], kLanes01Of01),
                 uLast = _mm256_shuffle_ps(lower[2], lower[3], kLanes01Of01);
    const __m256 vFirst = _mm256_shuffle_ps(lower[0], lower[1], kLanes23Of23),
                 vLast = _mm256_shuffle_ps(lower[2], lower[3], kLanes23Of23);
    const __m256 zFirst = _mm256_shuffle_ps(upper.pair[0], upper.pair[1], kLanes01Of01);
    const __m256 zLast = _mm256_shuffle_ps(upper.pair[2], upper.pair[3], kLanes01Of01);
    const __m256 w = general ? _mm256_permute2f128_ps(
                                   _mm256_shuffle_ps(upper.pair[0], upper.pair[1], kLanes23Of23),
                                   _mm256_shuffle_ps(upper.pair[2], upper.pair[3], kLanes23Of23), kHighHalves)
                             : _mm256_setzero_ps();
    return {_mm256_permute2f128_ps(uFirst, uLast, kLowHalves),
            _mm256_permute2f128_ps(vFirst, vLast, kLowHalves),
            z,
            _mm256_permute2f128_ps(uFirst, uLast, kHighHalves),
            _mm256_permute2f128_ps(vFirst, vLast, kHighHalves),
            _mm256_permute2f128_ps(zFirst, zLast, kHighHalves),
            w};
}

}  // namespace
}  // namespace quorvel

#pragma GCC pop_options
