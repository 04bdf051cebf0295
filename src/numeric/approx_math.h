#pragma once

// The fast approximate reciprocal and reciprocal square root (about 12 bits). Results
// differ between processor makers, so every use in the renderer, scalar or vector, goes
// through here with the model frames are drawn with: the processor's own instructions or a
// maker's measured tables.

#include "numeric/approx_model.h"
#include "numeric/simd.h"

#if QUORVEL_ARM64
#include <arm_neon.h>
#endif

namespace quorvel {

inline float approxReciprocal(const ApproxModel& model, float value) {
#if QUORVEL_X86
    if (isNative(model)) return _mm_cvtss_f32(_mm_rcp_ss(_mm_set_ss(value)));
#endif
    return modelReciprocal(model, value);
}

inline float approxReciprocalSqrt(const ApproxModel& model, float value) {
#if QUORVEL_X86
    if (isNative(model)) return _mm_cvtss_f32(_mm_rsqrt_ss(_mm_set_ss(value)));
#endif
    return modelReciprocalSqrt(model, value);
}

// A maker's model on four lanes: the scalar model in each.
template <float (*scalarModel)(const ApproxModel&, float)>
inline __m128 modelLanes(const ApproxModel& model, __m128 value) {
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, value);
    for (float& lane : lanes) lane = scalarModel(model, lane);
    return _mm_load_ps(lanes);
}

inline __m128 approxReciprocal4(const ApproxModel& model, __m128 value) {
#if QUORVEL_X86
    if (isNative(model)) return _mm_rcp_ps(value);
#endif
    return modelLanes<modelReciprocal>(model, value);
}

inline __m128 approxReciprocalSqrt4(const ApproxModel& model, __m128 value) {
#if QUORVEL_X86
    if (isNative(model)) return _mm_rsqrt_ps(value);
#endif
    return modelLanes<modelReciprocalSqrt>(model, value);
}

#if QUORVEL_X86
// For code built for AVX2 and chosen at run time only where the processor has it.
__attribute__((target("avx"))) inline __m256 nativeReciprocalSqrt8(__m256 value) {
    return _mm256_rsqrt_ps(value);
}

// A maker's reciprocal square root on eight lanes, any inputs: the scalar model's steps,
// lane for lane.
__attribute__((target("avx2"))) inline __m256 modelReciprocalSqrt8AnyInput(const ApproxModel& model,
                                                                           __m256 value) {
    const __m256i bits = _mm256_castps_si256(value);
    const __m256i byte = _mm256_set1_epi32(0xFF);
    const __m256i exponent = _mm256_and_si256(_mm256_srli_epi32(bits, 23), byte);
    const __m256i mantissa = _mm256_and_si256(bits, _mm256_set1_epi32(0x7FFFFF));
    const __m256i e = _mm256_sub_epi32(exponent, _mm256_set1_epi32(127));
    const __m256i odd = _mm256_and_si256(e, _mm256_set1_epi32(1));
    const int indexBits = model.reciprocalSqrtIndexBits;
    const __m256i index = _mm256_or_si256(_mm256_sll_epi32(odd, _mm_cvtsi32_si128(indexBits)),
                                          _mm256_srl_epi32(mantissa, _mm_cvtsi32_si128(23 - indexBits)));
    const __m256i entry =
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(model.reciprocalSqrt), index, 4);
    const __m256i halfExponent = _mm256_srai_epi32(_mm256_sub_epi32(e, odd), 1);
    const __m256i resultExponent =
        _mm256_sub_epi32(_mm256_and_si256(_mm256_srli_epi32(entry, 23), byte), halfExponent);
    __m256i result = _mm256_or_si256(_mm256_slli_epi32(resultExponent, 23),
                                     _mm256_and_si256(entry, _mm256_set1_epi32(0x7FFFFF)));
    // The special cases, least binding first so that the scalar model's order wins.
    const __m256i zero = _mm256_setzero_si256();
    const __m256i all = _mm256_cmpeq_epi32(exponent, byte);
    const __m256i none = _mm256_cmpeq_epi32(exponent, zero);
    const __m256i negative = _mm256_cmpgt_epi32(zero, bits);
    const __m256i nan = _mm256_andnot_si256(_mm256_cmpeq_epi32(mantissa, zero), all);
    result = _mm256_andnot_si256(all, result);  // +infinity -> +0
    result = _mm256_blendv_epi8(result, _mm256_set1_epi32(int(0xFFC00000u)), negative);
    result = _mm256_blendv_epi8(result,
                                _mm256_or_si256(_mm256_and_si256(bits, _mm256_set1_epi32(int(0x80000000u))),
                                                _mm256_set1_epi32(0x7F800000)),
                                none);
    result = _mm256_blendv_epi8(result, _mm256_or_si256(bits, _mm256_set1_epi32(0x400000)), nan);
    return _mm256_castsi256_ps(result);
}

// The same for the renderer's usual inputs, positive normal numbers, with fewer steps
// (always inlined: as a call, once a block, its vectors would go through memory): the
// exponent field is 1..254, and the result's exponent stays inside its field, so halving the
// exponent is one subtraction from the table entry. Any other input takes the full form.
__attribute__((target("avx2"), always_inline)) inline __m256 modelReciprocalSqrt8(const ApproxModel& model,
                                                                                  __m256 value) {
    const __m256i bits = _mm256_castps_si256(value);
    const __m256i normal = _mm256_and_si256(_mm256_cmpgt_epi32(bits, _mm256_set1_epi32(0x007FFFFF)),
                                            _mm256_cmpgt_epi32(_mm256_set1_epi32(0x7F800000), bits));
    if (_mm256_movemask_epi8(normal) != -1) return modelReciprocalSqrt8AnyInput(model, value);
    const __m256i e = _mm256_sub_epi32(_mm256_srli_epi32(bits, 23), _mm256_set1_epi32(127));
    const __m256i odd = _mm256_and_si256(e, _mm256_set1_epi32(1));
    const int indexBits = model.reciprocalSqrtIndexBits;
    const __m256i top = _mm256_and_si256(_mm256_srl_epi32(bits, _mm_cvtsi32_si128(23 - indexBits)),
                                         _mm256_set1_epi32((1 << indexBits) - 1));
    const __m256i index = _mm256_or_si256(_mm256_sll_epi32(odd, _mm_cvtsi32_si128(indexBits)), top);
    const __m256i entry =
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(model.reciprocalSqrt), index, 4);
    const __m256i halfExponent = _mm256_srai_epi32(_mm256_sub_epi32(e, odd), 1);
    return _mm256_castsi256_ps(_mm256_sub_epi32(entry, _mm256_slli_epi32(halfExponent, 23)));
}

// Intel's reciprocal square root without its table: each entry is 1/sqrt of the middle of its
// bucket rounded to 13 significant bits, and the processor's 12-bit estimate of the middle
// with one Newton step, y' = r (3 - m r r) = 2y, is close enough to round the same way. A
// computation, not a lookup, so it is used only where it has been checked against the model
// for every bucket of every exponent (model.reciprocalSqrtComputed); the middles stand for
// every input, since the first step maps each input to its bucket's middle. Positive normal
// inputs only: the caller sends the rest to the full model.
__attribute__((target("avx2"), always_inline)) inline __m256 computedReciprocalSqrt8(const ApproxModel& model,
                                                                                     __m256 value) {
    const int belowIndex = 23 - model.reciprocalSqrtIndexBits;
    const __m256i bucket =
        _mm256_and_si256(_mm256_castps_si256(value), _mm256_set1_epi32(-(1 << belowIndex)));
    const __m256 middle =
        _mm256_castsi256_ps(_mm256_or_si256(bucket, _mm256_set1_epi32(1 << (belowIndex - 1))));
    const __m256 estimate = _mm256_rsqrt_ps(middle);
    const __m256 product = _mm256_mul_ps(_mm256_mul_ps(middle, estimate), estimate);
    const __m256 twice = _mm256_mul_ps(estimate, _mm256_sub_ps(_mm256_set1_ps(3.0f), product));
    // Rounded to 13 significant bits (half up) and halved, both in the bits: 2y is normal.
    constexpr int kHalfStep = 1 << 10, kExponentOne = 1 << 23;
    const __m256i rounded =
        _mm256_add_epi32(_mm256_castps_si256(twice), _mm256_set1_epi32(kHalfStep - kExponentOne));
    return _mm256_castsi256_ps(_mm256_and_si256(rounded, _mm256_set1_epi32(-2 * kHalfStep)));
}
#endif

#if QUORVEL_ARM64
// A maker's reciprocal square root on four NEON lanes, each lane's entry looked up on its
// own (NEON has no gather). For positive normal numbers, the renderer's usual inputs, the
// exponent is halved in the bits as modelReciprocalSqrt8 does; a block with any other lane
// takes the scalar model in every lane.
inline float32x4_t modelReciprocalSqrt4Neon(const ApproxModel& model, float32x4_t value) {
    const int32x4_t bits = vreinterpretq_s32_f32(value);
    const uint32x4_t normal =
        vandq_u32(vcgtq_s32(bits, vdupq_n_s32(0x007FFFFF)), vcltq_s32(bits, vdupq_n_s32(0x7F800000)));
    alignas(16) uint32_t lanes[4];
    if (vminvq_u32(normal) == 0) {
        vst1q_u32(lanes, vreinterpretq_u32_s32(bits));
        for (uint32_t& lane : lanes) lane = modelReciprocalSqrtBits(model, lane);
        return vreinterpretq_f32_u32(vld1q_u32(lanes));
    }
    const int indexBits = model.reciprocalSqrtIndexBits;
    const int32x4_t e = vsubq_s32(vshrq_n_s32(bits, 23), vdupq_n_s32(127));
    const int32x4_t odd = vandq_s32(e, vdupq_n_s32(1));
    const int32x4_t top =
        vandq_s32(vshlq_s32(bits, vdupq_n_s32(indexBits - 23)), vdupq_n_s32((1 << indexBits) - 1));
    vst1q_u32(lanes, vreinterpretq_u32_s32(vorrq_s32(vshlq_s32(odd, vdupq_n_s32(indexBits)), top)));
    for (uint32_t& lane : lanes) lane = model.reciprocalSqrt[lane];
    const int32x4_t halfExponent = vshrq_n_s32(vsubq_s32(e, odd), 1);
    return vreinterpretq_f32_s32(
        vsubq_s32(vreinterpretq_s32_u32(vld1q_u32(lanes)), vshlq_n_s32(halfExponent, 23)));
}
#endif

}  // namespace quorvel
