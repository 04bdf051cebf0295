// The NEON span routine's x86 rules against SIMDe's x86 operations (which simd_test.cpp holds
// to x86's own), over every pair of awkward values: NaNs of both signs and payloads, zeros of
// either sign, infinities, the edges of the 32-bit range and halves that round to even.

#include "raster/x86_rules_neon.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "numeric/simd.h"

namespace quorvel {
namespace {

const std::vector<uint32_t> kAwkward = {
    0x7FC00000u, 0xFFC00000u, 0x7FC01234u, 0x7F800000u, 0xFF800000u, 0x00000000u, 0x80000000u,
    0x00000001u, 0x3F800000u, 0xBF800000u, 0x3FC00000u, 0x40200000u, 0xBFC00000u, 0x4EFFFFFFu,
    0x4F000000u, 0xCF000000u, 0xCF000001u, 0x437F0000u, 0x4B7FFFFFu, 0x7F7FFFFFu, 0xFF7FFFFFu,
};

uint32_t lane(float32x4_t v, int k) {
    alignas(16) uint32_t lanes[4];
    vst1q_u32(lanes, vreinterpretq_u32_f32(v));
    return lanes[k];
}

TEST(X86RulesNeon, MaxAndMinAsMaxpsAndMinps) {
    for (const uint32_t a : kAwkward) {
        for (const uint32_t b : kAwkward) {
            const float fa = std::bit_cast<float>(a), fb = std::bit_cast<float>(b);
            const float32x4_t na = vdupq_n_f32(fa), nb = vdupq_n_f32(fb);
            EXPECT_EQ(lane(x86Max(na, nb), 0),
                      std::bit_cast<uint32_t>(_mm_cvtss_f32(_mm_max_ps(_mm_set1_ps(fa), _mm_set1_ps(fb)))))
                << std::hex << a << " " << b;
            EXPECT_EQ(lane(x86Min(na, nb), 0),
                      std::bit_cast<uint32_t>(_mm_cvtss_f32(_mm_min_ps(_mm_set1_ps(fa), _mm_set1_ps(fb)))))
                << std::hex << a << " " << b;
        }
    }
}

TEST(X86RulesNeon, RoundingAsCvtps2dq) {
    for (const uint32_t a : kAwkward) {
        const float fa = std::bit_cast<float>(a);
        EXPECT_EQ(vgetq_lane_s32(x86RoundToInt(vdupq_n_f32(fa)), 0),
                  _mm_cvtsi128_si32(_mm_cvtps_epi32(_mm_set1_ps(fa))))
            << std::hex << a;
    }
}

}  // namespace
}  // namespace quorvel
