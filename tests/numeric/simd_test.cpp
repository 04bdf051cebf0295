// The x86 rules the renderer's vector code relies on, which the portable form (SIMDe on ARM64)
// must keep: max and min return their second operand when either is NaN, float-to-int
// conversions give 0x80000000 for NaN and out-of-range values, and packing saturates.

#include "numeric/simd.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

namespace quorvel {
namespace {

// Read at run time, so that the compiler cannot fold the operations with its own rules.
volatile float nanSource = std::numeric_limits<float>::quiet_NaN();
volatile float infSource = std::numeric_limits<float>::infinity();
const float kNan = nanSource;
const float kInf = infSource;

uint32_t laneBits(__m128 v, int lane) {
    float lanes[4];
    _mm_storeu_ps(lanes, v);
    uint32_t bits;
    std::memcpy(&bits, &lanes[lane], sizeof bits);
    return bits;
}

uint32_t bitsOf(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

TEST(Simd, MaxAndMinTakeTheSecondOperandWhenEitherIsNan) {
    const __m128 nan = _mm_set1_ps(kNan), zero = _mm_setzero_ps(), two = _mm_set1_ps(2.0f);
    EXPECT_EQ(laneBits(_mm_max_ps(nan, zero), 0), bitsOf(0.0f));
    EXPECT_EQ(laneBits(_mm_max_ps(zero, nan), 0), bitsOf(kNan));
    EXPECT_EQ(laneBits(_mm_min_ps(nan, two), 0), bitsOf(2.0f));
    EXPECT_EQ(laneBits(_mm_min_ps(two, nan), 0), bitsOf(kNan));
    // -0 and +0 compare equal: the second operand again.
    EXPECT_EQ(laneBits(_mm_max_ps(_mm_set1_ps(-0.0f), zero), 0), bitsOf(0.0f));
    EXPECT_EQ(laneBits(_mm_max_ps(zero, _mm_set1_ps(-0.0f)), 0), bitsOf(-0.0f));
}

TEST(Simd, ConversionsGiveTheIntegerIndefiniteOutOfRange) {
    const __m128i rounded = _mm_cvtps_epi32(_mm_setr_ps(kNan, 3e9f, -kInf, 2.5f));
    int32_t lanes[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), rounded);
    EXPECT_EQ(lanes[0], std::numeric_limits<int32_t>::min());
    EXPECT_EQ(lanes[1], std::numeric_limits<int32_t>::min());
    EXPECT_EQ(lanes[2], std::numeric_limits<int32_t>::min());
    EXPECT_EQ(lanes[3], 2);  // to nearest even
    EXPECT_EQ(_mm_cvttss_si32(_mm_set_ss(kNan)), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(_mm_cvttss_si32(_mm_set_ss(-7.9f)), -7);
}

TEST(Simd, PackingSaturates) {
    const __m128i words = _mm_packs_epi32(_mm_setr_epi32(70000, -70000, 300, -5), _mm_setzero_si128());
    const __m128i bytes = _mm_packus_epi16(words, words);
    EXPECT_EQ(uint32_t(_mm_cvtsi128_si32(bytes)), 0x00FF00FFu);  // 255, 0, 255, 0
}

}  // namespace
}  // namespace quorvel
