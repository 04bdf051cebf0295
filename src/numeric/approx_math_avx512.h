#pragma once

// The approximate reciprocal square root on sixteen lanes, for code built for AVX-512 and
// chosen at run time only where the processor has it (processorHasAvx512). AVX-512's own
// estimate (vrsqrt14ps) has other bits than the 12-bit one every model stands for, so none of
// these uses it: each takes the eight-lane instruction's estimates, two halves at a time.

#include "numeric/approx_math.h"

namespace quorvel {

#if QUORVEL_X86
// Two eight-lane halves as one sixteen-lane value, the first in lanes 0 to 7.
__attribute__((target("avx512f,avx512dq"), always_inline)) inline __m512 joinHalves(__m256 low, __m256 high) {
    return _mm512_insertf32x8(_mm512_castps256_ps512(low), high, 1);
}

// This processor's own estimate, lane for lane that of approxReciprocalSqrt4.
__attribute__((target("avx512f,avx512dq"), always_inline)) inline __m512 nativeReciprocalSqrt16(
    __m512 value) {
    return joinHalves(_mm256_rsqrt_ps(_mm512_castps512_ps256(value)),
                      _mm256_rsqrt_ps(_mm512_extractf32x8_ps(value, 1)));
}

// A maker's model, any inputs: the eight-lane form on each half (rare in frames: a
// squared normal length that is no positive normal number).
__attribute__((target("avx512f,avx512dq"))) inline __m512 modelReciprocalSqrt16AnyInput(
    const ApproxModel& model, __m512 value) {
    return joinHalves(modelReciprocalSqrt8AnyInput(model, _mm512_castps512_ps256(value)),
                      modelReciprocalSqrt8AnyInput(model, _mm512_extractf32x8_ps(value, 1)));
}

// A maker's model for positive normal inputs, modelReciprocalSqrt8's steps on sixteen lanes
// with one gather from the table; any other input takes the full form.
__attribute__((target("avx512f,avx512dq"), always_inline)) inline __m512 modelReciprocalSqrt16(
    const ApproxModel& model, __m512 value) {
    const __m512i bits = _mm512_castps_si512(value);
    const __mmask16 normal = _mm512_cmpgt_epi32_mask(bits, _mm512_set1_epi32(0x007FFFFF)) &
                             _mm512_cmplt_epi32_mask(bits, _mm512_set1_epi32(0x7F800000));
    if (normal != 0xFFFF) return modelReciprocalSqrt16AnyInput(model, value);
    const __m512i e = _mm512_sub_epi32(_mm512_srli_epi32(bits, 23), _mm512_set1_epi32(127));
    const __m512i odd = _mm512_and_si512(e, _mm512_set1_epi32(1));
    const int indexBits = model.reciprocalSqrtIndexBits;
    const __m512i top = _mm512_and_si512(_mm512_srl_epi32(bits, _mm_cvtsi32_si128(23 - indexBits)),
                                         _mm512_set1_epi32((1 << indexBits) - 1));
    const __m512i index = _mm512_or_si512(_mm512_sll_epi32(odd, _mm_cvtsi32_si128(indexBits)), top);
    const __m512i entry = _mm512_i32gather_epi32(index, model.reciprocalSqrt, 4);
    const __m512i halfExponent = _mm512_srai_epi32(_mm512_sub_epi32(e, odd), 1);
    return _mm512_castsi512_ps(_mm512_sub_epi32(entry, _mm512_slli_epi32(halfExponent, 23)));
}

// computedReciprocalSqrt8 on sixteen lanes: the same steps, the estimate of each bucket's
// middle from the eight-lane instruction. Positive normal inputs only.
__attribute__((target("avx512f,avx512dq"), always_inline)) inline __m512 computedReciprocalSqrt16(
    const ApproxModel& model, __m512 value) {
    const int belowIndex = 23 - model.reciprocalSqrtIndexBits;
    const __m512i bucket =
        _mm512_and_si512(_mm512_castps_si512(value), _mm512_set1_epi32(-(1 << belowIndex)));
    const __m512 middle =
        _mm512_castsi512_ps(_mm512_or_si512(bucket, _mm512_set1_epi32(1 << (belowIndex - 1))));
    const __m512 estimate = nativeReciprocalSqrt16(middle);
    const __m512 product = _mm512_mul_ps(_mm512_mul_ps(middle, estimate), estimate);
    const __m512 twice = _mm512_mul_ps(estimate, _mm512_sub_ps(_mm512_set1_ps(3.0f), product));
    // Rounded to 13 significant bits (half up) and halved, both in the bits: 2y is normal.
    constexpr int kHalfStep = 1 << 10, kExponentOne = 1 << 23;
    const __m512i rounded =
        _mm512_add_epi32(_mm512_castps_si512(twice), _mm512_set1_epi32(kHalfStep - kExponentOne));
    return _mm512_castsi512_ps(_mm512_and_si512(rounded, _mm512_set1_epi32(-2 * kHalfStep)));
}
#endif

}  // namespace quorvel
