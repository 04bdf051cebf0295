#pragma once

// Texturing for drawSpanAvx512: sample_texture_avx2.h's bilinearTaps, sampleTexture and
// packColor for sixteen pixels, two blocks, step for step. Built for AVX-512 (see
// pixel_pair_avx512.h); invariants cited by number are listed at the top of
// draw_span_avx2.cpp.

#include <immintrin.h>

#include <cstdint>

#include "raster/pixel_pair_avx512.h"
#include "raster/sample_texture_avx2.h"
#include "scene/scene.h"

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512dq,avx512vl")

namespace quorvel {
namespace {

// The same picks of bytes in every 128 bits of a register.
inline __m512i inEveryQuarter(__m128i bytes) { return _mm512_broadcast_i32x4(bytes); }

// Texel channels as floats (relies on invariant 7), as texelBlue, texelGreen and texelRed.
inline __m512 texelBlue(__m512i t) {
    return _mm512_cvtepi32_ps(_mm512_and_si512(t, _mm512_set1_epi32(0xFF)));
}
inline __m512 texelGreen(__m512i t) {
    const __m512i pick =
        inEveryQuarter(_mm_setr_epi8(1, -1, -1, -1, 5, -1, -1, -1, 9, -1, -1, -1, 13, -1, -1, -1));
    return _mm512_cvtepi32_ps(_mm512_shuffle_epi8(t, pick));
}
inline __m512 texelRed(__m512i t) { return _mm512_cvtepi32_ps(_mm512_srli_epi32(t, 16)); }

inline __m512i clampTexelIndex(__m512i index) { return _mm512_max_epi32(index, _mm512_setzero_si512()); }

// fetchTexelPairs for sixteen pixels: each row's neighbours fetched together as one 64-bit
// pair, pixels k, k + 1, k + 4 and k + 5 of each block of eight in each 256 bits, so that
// picking the even or odd dwords of two such vectors leaves the pixels in order.
[[gnu::always_inline]] inline void fetchTexelPairs(const Texture& texture, __m512i index, __m512i& t00,
                                                   __m512i& t10, __m512i& t01, __m512i& t11) {
    alignas(64) uint32_t at[2 * kLanes];  // unsigned: no sign extension per address
    _mm512_store_si512(at, index);
    const uint32_t* texels = texture.texels;
    const auto pair = [&](int k, int offset) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + at[k] + offset));
    };
    const auto four = [&](int k, int offset) {
        const __m128i low = _mm_unpacklo_epi64(pair(k, offset), pair(k + 1, offset));
        const __m128i high = _mm_unpacklo_epi64(pair(k + 4, offset), pair(k + 5, offset));
        return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    };
    const auto eight = [&](int k, int offset) {
        return _mm512_inserti64x4(_mm512_castsi256_si512(four(k, offset)), four(k + kLanes, offset), 1);
    };
    const __m512i top0 = eight(0, 0), top1 = eight(2, 0);
    const __m512i bottom0 = eight(0, kTextureSide), bottom1 = eight(2, kTextureSide);
    // Even dwords are the left texels, odd the right.
    const auto split = [&](__m512i a, __m512i b, bool right) {
        return _mm512_castps_si512(
            right ? _mm512_shuffle_ps(_mm512_castsi512_ps(a), _mm512_castsi512_ps(b), kOddLanes)
                  : _mm512_shuffle_ps(_mm512_castsi512_ps(a), _mm512_castsi512_ps(b), kEvenLanes));
    };
    t00 = split(top0, top1, false);
    t10 = split(top0, top1, true);
    t01 = split(bottom0, bottom1, false);
    t11 = split(bottom0, bottom1, true);
}

struct PairTaps {
    __m512 w00, w10, w01, w11;
    __m512i t00, t10, t01, t11;
};

[[gnu::always_inline]] inline PairTaps bilinearTaps(const PixelPair& p, const Texture& texture) {
    const __m512 ceiling = _mm512_set1_ps(static_cast<float>(kTexelCeiling));
    const __m512 one = _mm512_set1_ps(1.0f);
    const __m512 u = _mm512_min_ps(p.u, ceiling), v = _mm512_min_ps(p.v, ceiling);
    const __m512i iu = _mm512_cvttps_epi32(u), iv = _mm512_cvttps_epi32(v);
    const __m512 fu = _mm512_sub_ps(u, _mm512_cvtepi32_ps(iu)), fv = _mm512_sub_ps(v, _mm512_cvtepi32_ps(iv));
    const __m512i index =
        _mm512_add_epi32(_mm512_slli_epi32(clampTexelIndex(iv), kTextureRowShift), clampTexelIndex(iu));
    const __m512 restU = _mm512_sub_ps(one, fu), restV = _mm512_sub_ps(one, fv);
    PairTaps taps;
    taps.w00 = mul(restU, restV);
    taps.w10 = mul(fu, restV);
    taps.w01 = mul(restU, fv);
    taps.w11 = mul(fu, fv);
    fetchTexelPairs(texture, index, taps.t00, taps.t10, taps.t01, taps.t11);
    return taps;
}

struct PairTexels {
    __m512 channel[4];
};

// Off the general path the fourth lane is left unset, as sampleTexture leaves it (relies on
// invariants 4 and 7).
template <bool general>
[[gnu::always_inline]] inline PairTexels sampleTexture(const PairTaps& t) {
    PairTexels texel;
    texel.channel[0] = add(add(mul(texelBlue(t.t00), t.w00), mul(texelBlue(t.t10), t.w10)),
                           add(mul(texelBlue(t.t01), t.w01), mul(texelBlue(t.t11), t.w11)));
    texel.channel[1] = add(add(mul(texelGreen(t.t00), t.w00), mul(texelGreen(t.t10), t.w10)),
                           add(mul(texelGreen(t.t01), t.w01), mul(texelGreen(t.t11), t.w11)));
    texel.channel[2] = add(add(mul(texelRed(t.t00), t.w00), mul(texelRed(t.t10), t.w10)),
                           add(mul(texelRed(t.t01), t.w01), mul(texelRed(t.t11), t.w11)));
    if (general) {
        const __m512 zero = _mm512_setzero_ps();
        texel.channel[3] =
            add(add(mul(zero, t.w00), mul(zero, t.w10)), add(mul(zero, t.w01), mul(zero, t.w11)));
    }
    return texel;
}

// packColor of sample_texture_avx2.h: the packs work within each 128 bits, as there.
template <bool general>
[[gnu::always_inline]] inline __m512i packColor(const __m512 (&light)[3], const PairTexels& texel) {
    const auto scaled = [&](int c) {
        return _mm512_srli_epi32(_mm512_cvtps_epi32(mul(light[c], texel.channel[c])), 8);
    };
    // The fourth lane's light is finite (relies on invariant 10); off the general path the
    // fourth texel lane is a zero and so is its byte (relies on invariants 4 and 7).
    __m512i alpha = _mm512_setzero_si512();
    if (general) alpha = _mm512_srli_epi32(_mm512_cvtps_epi32(mul(_mm512_setzero_ps(), texel.channel[3])), 8);
    const __m512i bytes =
        _mm512_packus_epi16(_mm512_packs_epi32(scaled(0), scaled(1)), _mm512_packs_epi32(scaled(2), alpha));
    const __m512i byPixel =
        inEveryQuarter(_mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15));
    return _mm512_shuffle_epi8(bytes, byPixel);
}

}  // namespace
}  // namespace quorvel

#pragma GCC pop_options
