#pragma once

// The processor's fast approximate reciprocal and reciprocal square root (about 12 bits).
// Results differ between processor makers; every use in the renderer, scalar or vector,
// goes through here.

#include <immintrin.h>

namespace quorvel {

inline float approxReciprocal(float value) { return _mm_cvtss_f32(_mm_rcp_ss(_mm_set_ss(value))); }

inline float approxReciprocalSqrt(float value) { return _mm_cvtss_f32(_mm_rsqrt_ss(_mm_set_ss(value))); }

inline __m128 approxReciprocal4(__m128 value) { return _mm_rcp_ps(value); }

inline __m128 approxReciprocalSqrt4(__m128 value) { return _mm_rsqrt_ps(value); }

// For code built for AVX and chosen at run time only where the processor has it.
__attribute__((target("avx"))) inline __m256 approxReciprocalSqrt8(__m256 value) {
    return _mm256_rsqrt_ps(value);
}

}  // namespace quorvel
