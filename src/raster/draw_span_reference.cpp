#include "raster/draw_span_reference.h"

#include "numeric/approx_math.h"
#include "raster/span_setup.h"

namespace quorvel {
namespace {

// (x + y) + (z + w) in every lane: a + b equals b + a exactly, so all four lanes agree.
inline __m128 pairwiseSum(__m128 v) {
    const __m128 pairs = _mm_add_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_add_ps(pairs, _mm_shuffle_ps(pairs, pairs, _MM_SHUFFLE(1, 0, 3, 2)));
}

inline __m128 texelChannels(uint32_t texel) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(texel));
    return _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero));
}

inline int clampTexelIndex(int index) {
    return index < 0 ? 0 : (index > kTexelCeiling ? kTexelCeiling : index);
}

// The normal times r, its reciprocal square root, then the strongest single light per
// channel, clamped to 255. A NaN dot product (from a zero-length normal) counts as 0, since
// max(NaN, 0) yields 0.
inline __m128 strongestLight(__m128 normal, __m128 r, const Light* lights) {
    const __m128 unit = _mm_mul_ps(normal, r);
    __m128 accumulated = _mm_setzero_ps();
    for (int i = 0; i < kLightCount; ++i) {
        const Light& light = lights[i];
        const __m128 facing = pairwiseSum(_mm_mul_ps(_mm_load_ps(light.direction.lane), unit));
        const __m128 d = _mm_max_ps(facing, _mm_setzero_ps());
        __m128 highlight = _mm_mul_ps(d, d);
        highlight = _mm_mul_ps(highlight, highlight);
        highlight = _mm_mul_ps(highlight, highlight);
        highlight = _mm_mul_ps(highlight, highlight);
        const __m128 color = _mm_add_ps(_mm_mul_ps(d, _mm_load_ps(light.diffuse.lane)),
                                        _mm_mul_ps(highlight, _mm_load_ps(light.specular.lane)));
        accumulated = _mm_max_ps(accumulated, color);
    }
    return _mm_min_ps(accumulated, _mm_set1_ps(255.0f));
}

inline __m128 lightPixel(__m128 normal, const Light* lights, const ApproxModel& approx) {
    const __m128 squaredLength = pairwiseSum(_mm_mul_ps(normal, normal));
    return strongestLight(normal, approxReciprocalSqrt4(approx, squaredLength), lights);
}

// Bilinear sample; the four weights are formed first and summed in pairs.
inline __m128 sampleTexture(__m128 attributes, const Texture& texture) {
    const __m128 capped = _mm_min_ps(attributes, _mm_set1_ps(static_cast<float>(kTexelCeiling)));
    const float u = _mm_cvtss_f32(capped);
    const float v = _mm_cvtss_f32(_mm_shuffle_ps(capped, capped, _MM_SHUFFLE(1, 1, 1, 1)));
    const int iu = _mm_cvttss_si32(_mm_set_ss(u));
    const int iv = _mm_cvttss_si32(_mm_set_ss(v));
    const float fu = u - static_cast<float>(iu);
    const float fv = v - static_cast<float>(iv);
    // Clamped so no coordinate, however far off or NaN, reads outside the texture.
    const uint32_t* row = texture.texels + clampTexelIndex(iv) * kTextureSide + clampTexelIndex(iu);
    const __m128 w00 = _mm_set1_ps((1.0f - fu) * (1.0f - fv));
    const __m128 w10 = _mm_set1_ps(fu * (1.0f - fv));
    const __m128 w01 = _mm_set1_ps((1.0f - fu) * fv);
    const __m128 w11 = _mm_set1_ps(fu * fv);
    const __m128 top =
        _mm_add_ps(_mm_mul_ps(texelChannels(row[0]), w00), _mm_mul_ps(texelChannels(row[1]), w10));
    const __m128 bottom = _mm_add_ps(_mm_mul_ps(texelChannels(row[kTextureSide]), w01),
                                     _mm_mul_ps(texelChannels(row[kTextureSide + 1]), w11));
    return _mm_add_ps(top, bottom);
}

// Round to nearest even, shift right by 8 as unsigned, saturate through 16 then 8 bits.
inline uint32_t packColor(__m128 light, __m128 texel) {
    const __m128i scaled = _mm_srli_epi32(_mm_cvtps_epi32(_mm_mul_ps(light, texel)), 8);
    const __m128i words = _mm_packs_epi32(scaled, scaled);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}

}  // namespace

void drawSpanReference(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target) {
    SpanSetup span;
    if (!setUpSpan(row, endA, endB, target.band, target.rowPitch, span)) return;
    uint32_t* color = target.colorBuffer + span.first;
    float* depth = target.depthBuffer + span.first;
    __m128 attributes = span.attributes;
    __m128 normal = span.normal;
    for (int i = 0; i < span.count; ++i) {
        const float z = _mm_cvtss_f32(_mm_shuffle_ps(attributes, attributes, _MM_SHUFFLE(2, 2, 2, 2)));
        if (z < depth[i]) {  // NaN on either side fails
            depth[i] = z;
            color[i] = packColor(lightPixel(normal, target.lights, *target.approx),
                                 sampleTexture(attributes, *target.texture));
        }
        attributes = _mm_add_ps(attributes, span.attributeStep);
        normal = _mm_add_ps(normal, span.normalStep);
    }
}

}  // namespace quorvel
