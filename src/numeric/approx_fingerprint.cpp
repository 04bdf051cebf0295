#include "numeric/approx_fingerprint.h"

#include <cstddef>

#include "numeric/approx_math.h"

namespace quorvel {
namespace {

// 64-bit FNV-1a: small, and fingerprints stay what they have always been.
uint64_t fnv1a64(const void* bytes, size_t size, uint64_t hash) {
    const auto* data = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 0x100000001b3ull;
    return hash;
}

}  // namespace

// Both approximations over every mantissa of [1, 4), which covers both exponent parities
// of the reciprocal square root: a hash of all their 12-bit tables.
uint64_t approxFingerprint(const ApproxModel& approx) {
    uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a's offset basis
    for (uint32_t bits = 0x3F800000u; bits < 0x40800000u; bits += 4) {
        const __m128 x =
            _mm_castsi128_ps(_mm_setr_epi32(int(bits), int(bits + 1), int(bits + 2), int(bits + 3)));
        float out[8];
        _mm_storeu_ps(out, approxReciprocalSqrt4(approx, x));
        _mm_storeu_ps(out + 4, approxReciprocal4(approx, x));
        hash = fnv1a64(out, sizeof out, hash);
    }
    return hash;
}

}  // namespace quorvel
