#pragma once

// Texturing for drawSpanAvx2: sampleTexture and packColor of draw_span_reference.cpp for
// eight pixels a block and up to kMaxBlocks blocks at once, step for step. Built for AVX2
// (see pixel_block_avx2.h); invariants cited by number are listed at the top of
// draw_span_avx2.cpp.

#include <immintrin.h>

#include <cstdint>

#include "raster/pixel_block_avx2.h"
#include "raster/raster_types.h"
#include "scene/scene.h"

#pragma GCC push_options
#pragma GCC target("avx2")

namespace quorvel {
namespace {

// A texel's row is 128 texels: its index is row << 7 plus its column.
constexpr int kTextureRowShift = 7;
static_assert(kTextureSide == 1 << kTextureRowShift);

// Texel channels as floats, a channel at a time for eight texels: the reference's
// texelChannels. Red is all of the bytes above green (relies on invariant 7).
inline __m256 texelBlue(__m256i t) {
    return _mm256_cvtepi32_ps(_mm256_and_si256(t, _mm256_set1_epi32(0xFF)));
}
inline __m256 texelGreen(__m256i t) {
    const __m256i pick = _mm256_setr_epi8(1, -1, -1, -1, 5, -1, -1, -1, 9, -1, -1, -1, 13, -1, -1, -1,  //
                                          1, -1, -1, -1, 5, -1, -1, -1, 9, -1, -1, -1, 13, -1, -1, -1);
    return _mm256_cvtepi32_ps(_mm256_shuffle_epi8(t, pick));
}
inline __m256 texelRed(__m256i t) { return _mm256_cvtepi32_ps(_mm256_srli_epi32(t, 16)); }

// Texel indices are never above kTexelCeiling here: the float minimum came first and maps
// NaN to kTexelCeiling too, so only the bottom is left to clamp.
inline __m256i clampTexelIndex(__m256i index) { return _mm256_max_epi32(index, _mm256_setzero_si256()); }

// Texels (u, v), (u + 1, v), (u, v + 1) and (u + 1, v + 1) of eight pixels, each row's
// neighbours fetched together as one 64-bit pair.
[[gnu::always_inline]] inline void fetchTexelPairs(const Texture& texture, __m256i index, __m256i& t00,
                                                   __m256i& t10, __m256i& t01, __m256i& t11) {
    alignas(32) uint32_t at[kLanes];  // unsigned: no sign extension per address
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
    const uint32_t* texels = texture.texels;
    const auto pair = [&](int k, int offset) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + at[k] + offset));
    };
    // Pixels k, k + 1 in the low half and k + 4, k + 5 in the high half, so that picking the
    // even or odd dwords of two such vectors leaves the pixels in order.
    const auto four = [&](int k, int offset) {
        const __m128i low = _mm_unpacklo_epi64(pair(k, offset), pair(k + 1, offset));
        const __m128i high = _mm_unpacklo_epi64(pair(k + 4, offset), pair(k + 5, offset));
        return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    };
    const __m256i top0 = four(0, 0), top1 = four(2, 0);
    const __m256i bottom0 = four(0, kTextureSide), bottom1 = four(2, kTextureSide);
    // Even dwords are the left texels, odd the right.
    const auto split = [&](__m256i a, __m256i b, bool right) {
        return _mm256_castps_si256(
            right ? _mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), kOddLanes)
                  : _mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), kEvenLanes));
    };
    t00 = split(top0, top1, false);
    t10 = split(top0, top1, true);
    t01 = split(bottom0, bottom1, false);
    t11 = split(bottom0, bottom1, true);
}

// A block's bilinear sample before its sum: four weights and four texels a pixel.
struct BilinearTaps {
    __m256 w00, w10, w01, w11;
    __m256i t00, t10, t01, t11;
};

// The reference's sampleTexture up to the sum.
[[gnu::always_inline]] inline BilinearTaps bilinearTaps(const PixelBlock& p, const Texture& texture) {
    const __m256 ceiling = _mm256_set1_ps(static_cast<float>(kTexelCeiling));
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 u = _mm256_min_ps(p.u, ceiling), v = _mm256_min_ps(p.v, ceiling);
    const __m256i iu = _mm256_cvttps_epi32(u), iv = _mm256_cvttps_epi32(v);
    const __m256 fu = _mm256_sub_ps(u, _mm256_cvtepi32_ps(iu)), fv = _mm256_sub_ps(v, _mm256_cvtepi32_ps(iv));
    const __m256i index =
        _mm256_add_epi32(_mm256_slli_epi32(clampTexelIndex(iv), kTextureRowShift), clampTexelIndex(iu));
    const __m256 restU = _mm256_sub_ps(one, fu), restV = _mm256_sub_ps(one, fv);
    BilinearTaps taps;
    taps.w00 = mul(restU, restV);
    taps.w10 = mul(fu, restV);
    taps.w01 = mul(restU, fv);
    taps.w11 = mul(fu, fv);
    fetchTexelPairs(texture, index, taps.t00, taps.t10, taps.t01, taps.t11);
    return taps;
}

// Blue, green, red and the fourth lane of eight pixels' bilinear samples.
struct Texels {
    __m256 channel[4];
};

// The rest of the reference's sampleTexture: each channel's weighted texels summed in pairs.
// The fourth lane, which the reference sums as 0 x each weight (relies on invariant 7), is NaN
// exactly where a weight is not finite, which only the general path allows (relies on
// invariant 4): off it the fourth lane is left unset.
template <bool general>
[[gnu::always_inline]] inline Texels sampleTexture(const BilinearTaps& t) {
    Texels texel;
    texel.channel[0] = add(add(mul(texelBlue(t.t00), t.w00), mul(texelBlue(t.t10), t.w10)),
                           add(mul(texelBlue(t.t01), t.w01), mul(texelBlue(t.t11), t.w11)));
    texel.channel[1] = add(add(mul(texelGreen(t.t00), t.w00), mul(texelGreen(t.t10), t.w10)),
                           add(mul(texelGreen(t.t01), t.w01), mul(texelGreen(t.t11), t.w11)));
    texel.channel[2] = add(add(mul(texelRed(t.t00), t.w00), mul(texelRed(t.t10), t.w10)),
                           add(mul(texelRed(t.t01), t.w01), mul(texelRed(t.t11), t.w11)));
    if (general) {
        const __m256 zero = _mm256_setzero_ps();
        texel.channel[3] =
            add(add(mul(zero, t.w00), mul(zero, t.w10)), add(mul(zero, t.w01), mul(zero, t.w11)));
    }
    return texel;
}

// Light times texel, rounded to even, shifted right by 8 and saturated through 16 and then 8
// bits, as the reference's packColor.
template <bool general>
[[gnu::always_inline]] inline __m256i packColor(const __m256 (&light)[3], const Texels& texel) {
    const auto scaled = [&](int c) {
        return _mm256_srli_epi32(_mm256_cvtps_epi32(mul(light[c], texel.channel[c])), 8);
    };
    // The fourth lane's light is finite (relies on invariant 10), so zero stands for it; off
    // the general path the fourth texel lane is a zero and so is its byte (relies on
    // invariants 4 and 7).
    __m256i alpha = _mm256_setzero_si256();
    if (general) alpha = _mm256_srli_epi32(_mm256_cvtps_epi32(mul(_mm256_setzero_ps(), texel.channel[3])), 8);
    // Within each 128-bit half the bytes come out channel by channel and are then gathered
    // pixel by pixel.
    const __m256i bytes =
        _mm256_packus_epi16(_mm256_packs_epi32(scaled(0), scaled(1)), _mm256_packs_epi32(scaled(2), alpha));
    const __m256i byPixel = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,  //
                                             0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    return _mm256_shuffle_epi8(bytes, byPixel);
}

}  // namespace
}  // namespace quorvel

#pragma GCC pop_options
