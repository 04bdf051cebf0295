#pragma once

// The x86 rules the frames depend on, in NEON, where its own instructions differ: the
// reference routine's maxps and minps return their second operand when either is NaN (and
// for zeros of either sign), where vmaxq_f32 returns the NaN and vmaxnmq_f32 the number; its
// cvtps2dq gives 0x80000000 for NaN and outside the 32-bit range, where vcvtnq_s32_f32
// saturates (and gives 0 for NaN). tests/raster/x86_rules_neon_test.cpp holds them to SIMDe's
// x86 operations, which tests/numeric/simd_test.cpp holds to x86's.

#include <arm_neon.h>

#include <cstdint>

namespace quorvel {

// maxps: a where a > b, else b.
inline float32x4_t x86Max(float32x4_t a, float32x4_t b) { return vbslq_f32(vcgtq_f32(a, b), a, b); }

// minps: a where a < b, else b.
inline float32x4_t x86Min(float32x4_t a, float32x4_t b) { return vbslq_f32(vcltq_f32(a, b), a, b); }

// cvtps2dq with the default rounding, to nearest even. Below -2^31 the NEON conversion's
// saturation already gives 0x80000000; NaN and 2^31 or more fail the comparison.
inline int32x4_t x86RoundToInt(float32x4_t x) {
    const uint32x4_t inRange = vcltq_f32(x, vdupq_n_f32(0x1p31f));
    return vbslq_s32(inRange, vcvtnq_s32_f32(x), vdupq_n_s32(INT32_MIN));
}

}  // namespace quorvel
