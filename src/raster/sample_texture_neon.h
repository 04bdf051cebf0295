#pragma once

// Texturing for drawSpanNeon: sampleTexture and packColor of draw_span_reference.cpp for four
// pixels a quad, step for step and in the same order. Only draw_span_neon.cpp includes this.

#include <arm_neon.h>

#include <cstdint>

#include "raster/light_pixels_neon.h"
#include "raster/raster_types.h"
#include "raster/x86_rules_neon.h"
#include "scene/scene.h"

namespace quorvel {
namespace {

// A texel's row is 128 texels: its index is row << 7 plus its column.
constexpr int kTextureRowShift = 7;
static_assert(kTextureSide == 1 << kTextureRowShift);

// Four pixels' bilinear samples, channel by channel (blue, green, red), and the lanes where
// a weight is infinite or NaN.
struct QuadTexels {
    float32x4_t channel[3];
    uint32x4_t weightNotFinite;
};

// Texels (u, v), (u + 1, v), (u, v + 1) and (u + 1, v + 1) of four pixels, in that order,
// each row's neighbours fetched together as one 64-bit pair.
[[gnu::always_inline]] inline void fetchTexels(const Texture& texture, uint32x4_t index, uint32x4_t (&t)[4]) {
    alignas(16) uint32_t at[4];
    vst1q_u32(at, index);
    const uint32_t* texels = texture.texels;
    // Pixels k and k + 1, the left and right texel of each: (left k, right k, left k + 1, right k + 1).
    const auto pairs = [&](int k, int offset) {
        return vcombine_u32(vld1_u32(texels + at[k] + offset), vld1_u32(texels + at[k + 1] + offset));
    };
    for (int row = 0; row < 2; ++row) {
        const uint32x4_t first = pairs(0, row * kTextureSide), last = pairs(2, row * kTextureSide);
        t[2 * row] = vuzp1q_u32(first, last);
        t[2 * row + 1] = vuzp2q_u32(first, last);
    }
}

// One channel of four texels as floats: the reference's texelChannels, a lane of it.
template <int shift>
inline float32x4_t texelChannel(uint32x4_t texels) {
    return vcvtq_f32_u32(vandq_u32(vshrq_n_u32(texels, shift), vdupq_n_u32(0xFF)));
}

// The weighted texels of one channel summed in pairs, as the reference sums its lanes.
template <int shift>
inline float32x4_t weightedSum(const uint32x4_t (&t)[4], const float32x4_t (&weight)[4]) {
    return vaddq_f32(vaddq_f32(vmulq_f32(texelChannel<shift>(t[0]), weight[0]),
                               vmulq_f32(texelChannel<shift>(t[1]), weight[1])),
                     vaddq_f32(vmulq_f32(texelChannel<shift>(t[2]), weight[2]),
                               vmulq_f32(texelChannel<shift>(t[3]), weight[3])));
}

// The reference's sampleTexture: capped with minps (NaN becomes the ceiling), truncated
// (below -2^31 NEON's saturation gives x86's 0x80000000, and nothing capped is NaN or above
// it), clamped to the texture, weighted.
template <bool general>
[[gnu::always_inline]] inline QuadTexels sampleTexture(const PixelQuad& p, const Texture& texture) {
    const float32x4_t ceiling = vdupq_n_f32(static_cast<float>(kTexelCeiling)), one = vdupq_n_f32(1.0f);
    const float32x4_t u = x86Min(p.u, ceiling), v = x86Min(p.v, ceiling);
    const int32x4_t iu = vcvtq_s32_f32(u), iv = vcvtq_s32_f32(v);
    const float32x4_t fu = vsubq_f32(u, vcvtq_f32_s32(iu)), fv = vsubq_f32(v, vcvtq_f32_s32(iv));
    // Neither is above the ceiling, so only the bottom is left to clamp.
    const int32x4_t zero = vdupq_n_s32(0);
    const uint32x4_t index = vreinterpretq_u32_s32(
        vaddq_s32(vshlq_n_s32(vmaxq_s32(iv, zero), kTextureRowShift), vmaxq_s32(iu, zero)));
    const float32x4_t restU = vsubq_f32(one, fu), restV = vsubq_f32(one, fv);
    const float32x4_t weight[4] = {vmulq_f32(restU, restV), vmulq_f32(fu, restV), vmulq_f32(restU, fv),
                                   vmulq_f32(fu, fv)};
    uint32x4_t t[4];
    fetchTexels(texture, index, t);
    QuadTexels texel;
    texel.channel[0] = weightedSum<0>(t, weight);
    texel.channel[1] = weightedSum<8>(t, weight);
    texel.channel[2] = weightedSum<16>(t, weight);
    // Infinite or NaN weights come only on the general path (relies on invariant 4).
    texel.weightNotFinite = vdupq_n_u32(0);
    if (general) {
        // Magnitudes' bits: infinity's and NaNs' are the largest.
        const uint32x4_t magnitude = vdupq_n_u32(0x7FFFFFFF);
        uint32x4_t largest = vdupq_n_u32(0);
        for (const float32x4_t& w : weight)
            largest = vmaxq_u32(largest, vandq_u32(vreinterpretq_u32_f32(w), magnitude));
        texel.weightNotFinite = vcgeq_u32(largest, vdupq_n_u32(0x7F800000));
    }
    return texel;
}

// The reference's packColor: light times texel, rounded to even as cvtps2dq does, shifted right
// by 8 and saturated through 16 and then 8 bits, which for the shifted values (never negative)
// is the smaller of each and 255. The fourth lane is the texel's sum of 0 x each weight (its
// fourth byte is zero, invariant 7 of draw_span_avx2.cpp) times a finite light (invariant
// 10): NaN, so 255 once packed, exactly where a weight is not finite, and 0 elsewhere.
[[gnu::always_inline]] inline uint32x4_t packColor(const float32x4_t (&light)[3], const QuadTexels& texel) {
    const auto scaled = [&](int c) {
        const int32x4_t rounded = x86RoundToInt(vmulq_f32(light[c], texel.channel[c]));
        return vminq_u32(vshrq_n_u32(vreinterpretq_u32_s32(rounded), 8), vdupq_n_u32(0xFF));
    };
    const uint32x4_t blueGreenRed = vsliq_n_u32(vsliq_n_u32(scaled(0), scaled(1), 8), scaled(2), 16);
    return vorrq_u32(blueGreenRed, vandq_u32(texel.weightNotFinite, vdupq_n_u32(0xFF000000)));
}

}  // namespace
}  // namespace quorvel
