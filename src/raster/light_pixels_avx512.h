#pragma once

// Lighting for drawSpanAvx512: light_pixels_avx2.h's lightPixels for sixteen pixels, two
// blocks, a value a register, step for step: the same operations in the same order on every
// lane. Built for AVX-512 (see pixel_pair_avx512.h); invariants cited by number are listed at
// the top of draw_span_avx2.cpp.

#include <immintrin.h>

#include <cfloat>

#include "numeric/approx_math_avx512.h"
#include "raster/light_pixels_avx2.h"
#include "raster/pixel_pair_avx512.h"
#include "scene/scene.h"

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512dq,avx512vl")

namespace quorvel {
namespace {

template <bool general>
[[gnu::always_inline]] inline __m512 squaredLengthOf(const PixelPair& p) {
    const __m512 nearLength = general ? add(mul(p.nz, p.nz), mul(p.nw, p.nw)) : mul(p.nz, p.nz);
    return add(add(mul(p.nx, p.nx), mul(p.ny, p.ny)), nearLength);
}

template <Estimate estimate>
[[gnu::always_inline]] inline __m512 approxReciprocalSqrt16(const ApproxModel& approx, __m512 value) {
    static_assert(estimate != Estimate::computed, "computed pairs take lightPairComputed");
    if constexpr (estimate == Estimate::table) return modelReciprocalSqrt16(approx, value);
    return nativeReciprocalSqrt16(value);
}

inline bool anyBelowNormalRange(__m512 value) {
    return _mm512_cmp_ps_mask(value, _mm512_set1_ps(FLT_MIN), _CMP_LT_OQ) != 0;
}

inline bool anyOutsideNormalRange(__m512 value) {
    const __m512i shifted = _mm512_add_epi32(_mm512_castps_si512(value), _mm512_set1_epi32(1 << 23));
    return _mm512_cmpgt_epi32_mask(_mm512_set1_epi32(1 << 24), shifted) != 0;
}

// strongestLight of light_pixels_avx2.h on sixteen lanes. The lights' values are broadcast
// from `table` where they are used (from memory, at no cost); `lights` gives alongView.
template <bool general>
[[gnu::always_inline]] inline bool strongestLight(const PixelPair& p, __m512 r, const Light* table,
                                                  const LightLanes (&lights)[kLightCount],
                                                  __m512 (&accumulated)[3]) {
    const __m512 x = mul(p.nx, r), y = mul(p.ny, r), z = mul(p.nz, r);
    // Off the general path nw is a zero and r finite, so nw x r is a zero too (relies on
    // invariants 1 and 5).
    const __m512 w = general ? mul(p.nw, r) : _mm512_setzero_ps();
    const __m512 zero = _mm512_setzero_ps();
#pragma GCC unroll 3
    for (__m512& channel : accumulated) channel = zero;
    bool anyFacing = general;
#pragma GCC unroll 3
    for (int i = 0; i < kLightCount; ++i) {
        const Light& light = table[i];
        const auto direction = [&](int lane) { return _mm512_set1_ps(light.direction.lane[lane]); };
        // Off the general path w x dw is a zero, and along the view the sideways terms are
        // zeros too: see strongestLight of light_pixels_avx2.h (relies on invariants 1, 2, 5
        // and 9).
        const __m512 near = general ? add(mul(z, direction(2)), mul(w, direction(3))) : mul(z, direction(2));
        const __m512 facing = !general && lights[i].alongView
                                  ? near
                                  : add(add(mul(x, direction(0)), mul(y, direction(1))), near);
        const __m512 d = _mm512_max_ps(facing, zero);
        // Facing away everywhere: this light adds nothing (relies on invariants 3 and 9).
        if (!general && _mm512_test_epi32_mask(_mm512_castps_si512(d), _mm512_castps_si512(d)) == 0) continue;
        anyFacing = true;
        __m512 highlight = mul(d, d);
        highlight = mul(highlight, highlight);
        highlight = mul(highlight, highlight);
        highlight = mul(highlight, highlight);
#pragma GCC unroll 3
        for (int c = 0; c < 3; ++c) {
            const __m512 glow = add(mul(d, _mm512_set1_ps(light.diffuse.lane[c])),
                                    mul(highlight, _mm512_set1_ps(light.specular.lane[c])));
            // The first light meets zeros, and its glow, never negative, wins against them
            // (relies on invariants 3 and 9).
            accumulated[c] = !general && i == 0 ? glow : _mm512_max_ps(accumulated[c], glow);
        }
    }
    const __m512 ceiling = _mm512_set1_ps(255.0f);
#pragma GCC unroll 3
    for (__m512& channel : accumulated) channel = _mm512_min_ps(channel, ceiling);
    return anyFacing;
}

// The light of each pixel of a pair, as lightPixels of light_pixels_avx2.h gives it for its
// two blocks (checks invariants 5 and 6 as it does).
template <bool general, Estimate estimate>
[[gnu::always_inline]] inline bool lightPair(const PixelPair& p, const Light* table,
                                             const LightLanes (&lights)[kLightCount],
                                             const ApproxModel& approx, __m512 (&accumulated)[3]) {
    const __m512 squaredLength = squaredLengthOf<general>(p);
    if constexpr (estimate == Estimate::computed) {
        if (anyOutsideNormalRange(squaredLength)) {
            return strongestLight<true>(p, modelReciprocalSqrt16AnyInput(approx, squaredLength), table,
                                        lights, accumulated);
        }
        return strongestLight<general>(p, computedReciprocalSqrt16(approx, squaredLength), table, lights,
                                       accumulated);
    } else {
        const __m512 r = approxReciprocalSqrt16<estimate>(approx, squaredLength);
        if (!general && !anyBelowNormalRange(squaredLength))
            return strongestLight<false>(p, r, table, lights, accumulated);
        return strongestLight<true>(p, r, table, lights, accumulated);
    }
}

}  // namespace
}  // namespace quorvel

#pragma GCC pop_options
