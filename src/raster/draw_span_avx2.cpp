#include "raster/draw_span_avx2.h"

#include <immintrin.h>

#include "raster/span_setup.h"

namespace quorvel {
namespace {

constexpr int kLanes = 8;
constexpr float kTexelCeiling = 124.0f;

struct LightLanes {
    __m256 direction[4];
    __m256 diffuse[3];
    __m256 specular[3];
};

struct PixelBlock {
    __m256 u, v, z, nx, ny, nz, nw;
};

inline __m256 broadcastLane(const Vec4& vector, int lane) { return _mm256_set1_ps(vector.lane[lane]); }

// Eight pixels' (u, v, z, spare | nx, ny, nz, nw), one pixel a register, turned into one
// register per value.
inline __m256 depthOf(const __m256 (&pixel)[kLanes], __m256 (&high)[4]) {
    #pragma GCC unroll 8
    for (int pair = 0; pair < 4; ++pair) high[pair] = _mm256_unpackhi_ps(pixel[2 * pair], pixel[2 * pair + 1]);
    const __m256 low4 = _mm256_shuffle_ps(high[0], high[1], 0x44);
    const __m256 high4 = _mm256_shuffle_ps(high[2], high[3], 0x44);
    return _mm256_permute2f128_ps(low4, high4, 0x20);
}

inline PixelBlock transpose(const __m256 (&pixel)[kLanes], const __m256 (&high)[4], __m256 z) {
    __m256 low[4];
    #pragma GCC unroll 8
    for (int pair = 0; pair < 4; ++pair) low[pair] = _mm256_unpacklo_ps(pixel[2 * pair], pixel[2 * pair + 1]);
    const __m256 uFirst = _mm256_shuffle_ps(low[0], low[1], 0x44), uLast = _mm256_shuffle_ps(low[2], low[3], 0x44);
    const __m256 vFirst = _mm256_shuffle_ps(low[0], low[1], 0xEE), vLast = _mm256_shuffle_ps(low[2], low[3], 0xEE);
    const __m256 zFirst = _mm256_shuffle_ps(high[0], high[1], 0x44), zLast = _mm256_shuffle_ps(high[2], high[3], 0x44);
    const __m256 wFirst = _mm256_shuffle_ps(high[0], high[1], 0xEE), wLast = _mm256_shuffle_ps(high[2], high[3], 0xEE);
    return {_mm256_permute2f128_ps(uFirst, uLast, 0x20), _mm256_permute2f128_ps(vFirst, vLast, 0x20), z,
            _mm256_permute2f128_ps(uFirst, uLast, 0x31), _mm256_permute2f128_ps(vFirst, vLast, 0x31),
            _mm256_permute2f128_ps(zFirst, zLast, 0x31), _mm256_permute2f128_ps(wFirst, wLast, 0x31)};
}

// Strongest single light per channel (blue, green, red), clamped to 255; a NaN facing
// counts as 0.
inline void lightPixels(const PixelBlock& p, const LightLanes (&lights)[kLightCount], __m256 (&accumulated)[3]) {
    const __m256 length = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(p.nx, p.nx), _mm256_mul_ps(p.ny, p.ny)),
                                        _mm256_add_ps(_mm256_mul_ps(p.nz, p.nz), _mm256_mul_ps(p.nw, p.nw)));
    const __m256 r = _mm256_rsqrt_ps(length);
    const __m256 x = _mm256_mul_ps(p.nx, r), y = _mm256_mul_ps(p.ny, r);
    const __m256 z = _mm256_mul_ps(p.nz, r), w = _mm256_mul_ps(p.nw, r);
    const __m256 zero = _mm256_setzero_ps();
    #pragma GCC unroll 8
    for (__m256& channel : accumulated) channel = zero;
    #pragma GCC unroll 8
    for (const LightLanes& light : lights) {
        const __m256 facing =
            _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(x, light.direction[0]), _mm256_mul_ps(y, light.direction[1])),
                          _mm256_add_ps(_mm256_mul_ps(z, light.direction[2]), _mm256_mul_ps(w, light.direction[3])));
        const __m256 d = _mm256_max_ps(facing, zero);
        __m256 highlight = _mm256_mul_ps(d, d);
        highlight = _mm256_mul_ps(highlight, highlight);
        highlight = _mm256_mul_ps(highlight, highlight);
        highlight = _mm256_mul_ps(highlight, highlight);
        #pragma GCC unroll 8
        for (int c = 0; c < 3; ++c) {
            const __m256 colour =
                _mm256_add_ps(_mm256_mul_ps(d, light.diffuse[c]), _mm256_mul_ps(highlight, light.specular[c]));
            accumulated[c] = _mm256_max_ps(accumulated[c], colour);
        }
    }
    const __m256 ceiling = _mm256_set1_ps(255.0f);
    #pragma GCC unroll 8
    for (__m256& channel : accumulated) channel = _mm256_min_ps(channel, ceiling);
}

inline __m256 channelOf(__m256i texels, int shift) {
    return _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(texels, shift), _mm256_set1_epi32(0xFF)));
}

// Light times the bilinear texel, rounded to even, shifted right by 8 and saturated, with
// the fourth byte as the one-pixel routine leaves it: 255 where a weight is not finite.
inline __m256i shadePixels(const PixelBlock& p, const __m256 (&light)[3], const Texture& texture) {
    const __m256 ceiling = _mm256_set1_ps(kTexelCeiling);
    const __m256 u = _mm256_min_ps(p.u, ceiling), v = _mm256_min_ps(p.v, ceiling);
    const __m256i iu = _mm256_cvttps_epi32(u), iv = _mm256_cvttps_epi32(v);
    const __m256 fu = _mm256_sub_ps(u, _mm256_cvtepi32_ps(iu)), fv = _mm256_sub_ps(v, _mm256_cvtepi32_ps(iv));
    const __m256i indexCeiling = _mm256_set1_epi32(static_cast<int>(kTexelCeiling));
    const __m256i zeroIndex = _mm256_setzero_si256();
    const __m256i column = _mm256_max_epi32(_mm256_min_epi32(iu, indexCeiling), zeroIndex);
    const __m256i row = _mm256_max_epi32(_mm256_min_epi32(iv, indexCeiling), zeroIndex);
    const __m256i index = _mm256_add_epi32(_mm256_slli_epi32(row, 7), column);

    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 restU = _mm256_sub_ps(one, fu), restV = _mm256_sub_ps(one, fv);
    const __m256 weight[4] = {_mm256_mul_ps(restU, restV), _mm256_mul_ps(fu, restV), _mm256_mul_ps(restU, fv),
                              _mm256_mul_ps(fu, fv)};
    const auto* texels = reinterpret_cast<const int*>(texture.texels);
    const __m256i sample[4] = {
        _mm256_i32gather_epi32(texels, index, 4),
        _mm256_i32gather_epi32(texels + 1, index, 4),
        _mm256_i32gather_epi32(texels + kTextureSide, index, 4),
        _mm256_i32gather_epi32(texels + kTextureSide + 1, index, 4),
    };

    __m256i pixels = _mm256_setzero_si256();
    const __m256i byteCeiling = _mm256_set1_epi32(0xFF);
    #pragma GCC unroll 8
    for (int c = 0; c < 3; ++c) {
        const __m256 top = _mm256_add_ps(_mm256_mul_ps(channelOf(sample[0], 8 * c), weight[0]),
                                         _mm256_mul_ps(channelOf(sample[1], 8 * c), weight[1]));
        const __m256 bottom = _mm256_add_ps(_mm256_mul_ps(channelOf(sample[2], 8 * c), weight[2]),
                                            _mm256_mul_ps(channelOf(sample[3], 8 * c), weight[3]));
        const __m256i scaled =
            _mm256_srli_epi32(_mm256_cvtps_epi32(_mm256_mul_ps(light[c], _mm256_add_ps(top, bottom))), 8);
        // Saturating through 16 and then 8 bits leaves min(value, 255) for these non-negative values.
        pixels = _mm256_or_si256(pixels, _mm256_slli_epi32(_mm256_min_epu32(scaled, byteCeiling), 8 * c));
    }
    // Zero-alpha texels make the fourth channel a sum of 0 x weight: NaN exactly when a
    // weight is infinite or NaN.
    const __m256 zero = _mm256_setzero_ps();
    const __m256 alpha = _mm256_or_ps(_mm256_or_ps(_mm256_mul_ps(weight[0], zero), _mm256_mul_ps(weight[1], zero)),
                                      _mm256_or_ps(_mm256_mul_ps(weight[2], zero), _mm256_mul_ps(weight[3], zero)));
    const __m256i alphaByte = _mm256_slli_epi32(_mm256_castps_si256(_mm256_cmp_ps(alpha, alpha, _CMP_UNORD_Q)), 24);
    return _mm256_or_si256(pixels, alphaByte);
}

}  // namespace

void drawSpanAvx2(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target) {
    SpanSetup span;
    if (!setUpSpan(row, endA, endB, target.band, target.rowPitch, span)) return;

    LightLanes lights[kLightCount];
    #pragma GCC unroll 8
    for (int i = 0; i < kLightCount; ++i) {
        const Light& light = target.lights[i];
        #pragma GCC unroll 8
        for (int lane = 0; lane < 4; ++lane) lights[i].direction[lane] = broadcastLane(light.direction, lane);
        #pragma GCC unroll 8
        for (int c = 0; c < 3; ++c) {
            lights[i].diffuse[c] = broadcastLane(light.diffuse, c);
            lights[i].specular[c] = broadcastLane(light.specular, c);
        }
    }

    // (u, v, z, spare | nx, ny, nz, nw) stepped one pixel at a time, exactly as the
    // one-pixel routine steps them.
    __m256 current = _mm256_set_m128(span.normal, span.attributes);
    const __m256 step = _mm256_set_m128(span.normalStep, span.attributeStep);
    uint32_t* colour = target.colorBuffer + span.first;
    float* depth = target.depthBuffer + span.first;
    const __m256i laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);

    #pragma GCC unroll 8

    for (int done = 0; done < span.count; done += kLanes) {
        __m256 pixel[kLanes];
        #pragma GCC unroll 8
        for (__m256& p : pixel) {
            p = current;
            current = _mm256_add_ps(current, step);
        }
        const int remaining = span.count - done;
        const __m256i inSpan = _mm256_cmpgt_epi32(_mm256_set1_epi32(remaining), laneIndex);
        const bool whole = remaining >= kLanes;
        const __m256 stored = whole ? _mm256_loadu_ps(depth + done) : _mm256_maskload_ps(depth + done, inSpan);

        __m256 high[4];
        const __m256 z = depthOf(pixel, high);
        const __m256 nearer = _mm256_and_ps(_mm256_cmp_ps(z, stored, _CMP_LT_OQ), _mm256_castsi256_ps(inSpan));
        const int passing = _mm256_movemask_ps(nearer);
        if (passing == 0) continue;
        const __m256i write = _mm256_castps_si256(nearer);
        _mm256_maskstore_ps(depth + done, write, z);

        const PixelBlock block = transpose(pixel, high, z);
        __m256 light[3];
        lightPixels(block, lights, light);
        const __m256i shaded = shadePixels(block, light, *target.texture);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(colour + done), write, shaded);
    }
}

}  // namespace quorvel
