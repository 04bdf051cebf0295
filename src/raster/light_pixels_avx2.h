#pragma once

// Lighting for drawSpanAvx2: lightPixel of draw_span_reference.cpp for eight pixels a block
// and up to kMaxBlocks blocks at once, step for step: squaredLengthOf, approxReciprocalSqrt8
// and strongestLight are the reference's squaredLength, approxReciprocalSqrt4 and
// strongestLight. Built for AVX2 (see pixel_block_avx2.h); invariants cited by number are
// listed at the top of draw_span_avx2.cpp.

#include <immintrin.h>

#include <cfloat>

#include "numeric/approx_math.h"
#include "numeric/vector_types.h"
#include "raster/pixel_block_avx2.h"
#include "scene/scene.h"

#pragma GCC push_options
#pragma GCC target("avx2")

namespace quorvel {
namespace {

struct LightLanes {
    __m256 direction[4];
    __m256 diffuse[3];
    __m256 specular[3];
    bool alongView;  // no sideways component
};

void broadcastLights(const Light* table, LightLanes (&lights)[kLightCount]) {
    for (int i = 0; i < kLightCount; ++i) {
        for (int lane = 0; lane < 4; ++lane)
            lights[i].direction[lane] = _mm256_set1_ps(table[i].direction.lane[lane]);
        for (int c = 0; c < 3; ++c) {
            lights[i].diffuse[c] = _mm256_set1_ps(table[i].diffuse.lane[c]);
            lights[i].specular[c] = _mm256_set1_ps(table[i].specular.lane[c]);
        }
        lights[i].alongView = table[i].direction.lane[0] == 0.0f && table[i].direction.lane[1] == 0.0f;
    }
}

// The reference's pairwise sum of the squared lanes. Off the general path the fourth lane's
// square is +0 (relies on invariant 1), which leaves the sum as it is.
template <bool general>
[[gnu::always_inline]] inline __m256 squaredLengthOf(const PixelBlock& p) {
    const __m256 nearLength = general ? add(mul(p.nz, p.nz), mul(p.nw, p.nw)) : mul(p.nz, p.nz);
    return add(add(mul(p.nx, p.nx), mul(p.ny, p.ny)), nearLength);
}

// Where each pixel's reciprocal square root comes from: this processor's instruction, a
// maker's model computed from it, or that model's tables.
enum class Estimate { instruction, computed, table };

template <Estimate estimate>
[[gnu::always_inline]] inline __m256 approxReciprocalSqrt8(const ApproxModel& approx, __m256 value) {
    static_assert(estimate != Estimate::computed, "computed blocks take lightPixelsComputed");
    if constexpr (estimate == Estimate::table) return modelReciprocalSqrt8(approx, value);
    return nativeReciprocalSqrt8(value);
}

// Zero or subnormal lanes (or negative ones, which squared lengths never are).
inline bool anyBelowNormalRange(__m256 value) {
    return _mm256_movemask_ps(_mm256_cmp_ps(value, _mm256_set1_ps(FLT_MIN), _CMP_LT_OQ)) != 0;
}

// Zero, subnormal, infinite or NaN lanes: only a positive normal number's bits plus 2^23 make
// a signed integer of at least 2^24.
inline bool anyOutsideNormalRange(__m256 value) {
    const __m256i shifted = _mm256_add_epi32(_mm256_castps_si256(value), _mm256_set1_epi32(1 << 23));
    return _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(_mm256_set1_epi32(1 << 24), shifted))) !=
           0;
}

// Each normal times r, its reciprocal square root, then the strongest single light per
// channel (blue, green, red), clamped to 255; a NaN facing counts as 0. Returns false when
// no pixel faces any light in any of the N blocks, which leaves every channel zero.
template <bool general, int N>
[[gnu::always_inline]] inline bool strongestLight(const PixelBlock (&p)[N], const __m256 (&r)[N],
                                                  const LightLanes (&lights)[kLightCount],
                                                  __m256 (&accumulated)[N][3]) {
    __m256 x[N], y[N], z[N], w[N];
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) {
        x[n] = mul(p[n].nx, r[n]);
        y[n] = mul(p[n].ny, r[n]);
        z[n] = mul(p[n].nz, r[n]);
        // Off the general path nw is a zero and r finite, so nw x r is a zero too (relies on
        // invariants 1 and 5).
        w[n] = general ? mul(p[n].nw, r[n]) : _mm256_setzero_ps();
    }
    const __m256 zero = _mm256_setzero_ps();
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) {
#pragma GCC unroll 3
        for (__m256& channel : accumulated[n]) channel = zero;
    }
    bool anyFacing = general;
#pragma GCC unroll 3
    for (int i = 0; i < kLightCount; ++i) {
        const LightLanes& light = lights[i];
        __m256 d[N];
        __m256 facingAny = zero;
#pragma GCC unroll kMaxBlocks
        for (int n = 0; n < N; ++n) {
            // Off the general path w x dw is a zero, which changes at most the sign of a zero
            // facing, and d drops that (relies on invariants 1, 2, 5 and 9).
            const __m256 near = general ? add(mul(z[n], light.direction[2]), mul(w[n], light.direction[3]))
                                        : mul(z[n], light.direction[2]);
            // Along the view the sideways terms are zeros, likewise. A non-finite x or y comes
            // only with r = 0 or NaN, which makes z x dz zero or NaN and d zero by either sum
            // (relies on invariants 5 and 9).
            const __m256 facing =
                !general && light.alongView
                    ? near
                    : add(add(mul(x[n], light.direction[0]), mul(y[n], light.direction[1])), near);
            d[n] = _mm256_max_ps(facing, zero);
            facingAny = _mm256_or_ps(facingAny, d[n]);
        }
        // Facing away everywhere, which a zero d shows by having no bits set: this light's glow
        // is a zero and adds max(acc, 0) = acc to every channel (relies on invariants 3 and 9).
        if (!general && _mm256_testz_si256(_mm256_castps_si256(facingAny), _mm256_castps_si256(facingAny)))
            continue;
        anyFacing = true;
#pragma GCC unroll kMaxBlocks
        for (int n = 0; n < N; ++n) {
            __m256 highlight = mul(d[n], d[n]);
            highlight = mul(highlight, highlight);
            highlight = mul(highlight, highlight);
            highlight = mul(highlight, highlight);
#pragma GCC unroll 3
            for (int c = 0; c < 3; ++c) {
                const __m256 glow = add(mul(d[n], light.diffuse[c]), mul(highlight, light.specular[c]));
                // The first light meets zeros, and its glow, never negative, wins against them
                // (relies on invariants 3 and 9).
                accumulated[n][c] = !general && i == 0 ? glow : _mm256_max_ps(accumulated[n][c], glow);
            }
        }
    }
    const __m256 ceiling = _mm256_set1_ps(255.0f);
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) {
#pragma GCC unroll 3
        for (__m256& channel : accumulated[n]) channel = _mm256_min_ps(channel, ceiling);
    }
    return anyFacing;
}

// With a maker's model computed: blocks with a squared length outside the normal range, which
// the computation does not take, go the general way with the model's full form (checks
// invariants 5 and 6).
template <bool general, int N>
[[gnu::always_inline]] inline bool lightPixelsComputed(const PixelBlock (&p)[N],
                                                       const LightLanes (&lights)[kLightCount],
                                                       const ApproxModel& approx,
                                                       __m256 (&accumulated)[N][3]) {
    __m256 squaredLength[N], r[N];
    bool unusual = false;
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) {
        squaredLength[n] = squaredLengthOf<general>(p[n]);
        unusual = unusual || anyOutsideNormalRange(squaredLength[n]);
    }
    if (unusual) {
#pragma GCC unroll kMaxBlocks
        for (int n = 0; n < N; ++n) r[n] = modelReciprocalSqrt8AnyInput(approx, squaredLength[n]);
        return strongestLight<true, N>(p, r, lights, accumulated);
    }
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) r[n] = computedReciprocalSqrt8(approx, squaredLength[n]);
    return strongestLight<general, N>(p, r, lights, accumulated);
}

// The light of each pixel of N blocks, as strongestLight returns it.
template <bool general, Estimate estimate, int N>
[[gnu::always_inline]] inline bool lightPixels(const PixelBlock (&p)[N],
                                               const LightLanes (&lights)[kLightCount],
                                               const ApproxModel& approx, __m256 (&accumulated)[N][3]) {
    if constexpr (estimate == Estimate::computed) {
        return lightPixelsComputed<general, N>(p, lights, approx, accumulated);
    } else {
        __m256 r[N];
        bool belowNormal = false;
#pragma GCC unroll kMaxBlocks
        for (int n = 0; n < N; ++n) {
            const __m256 squaredLength = squaredLengthOf<general>(p[n]);
            r[n] = approxReciprocalSqrt8<estimate>(approx, squaredLength);
            belowNormal = belowNormal || anyBelowNormalRange(squaredLength);
        }
        // A zero-length normal has an infinite r, which the short cuts do not take: blocks
        // with a squared length below the normal range take the general lighting (checks
        // invariant 5). The test waits on the sum, not on the reciprocal square root.
        if (!general && !belowNormal) return strongestLight<false, N>(p, r, lights, accumulated);
        return strongestLight<true, N>(p, r, lights, accumulated);
    }
}

}  // namespace
}  // namespace quorvel

#pragma GCC pop_options
