#pragma once

// Faces drawn in another order than the scene's, for drawSpanAvx2: the face buffer beside
// the depth buffer says which face stored each depth, so that a pixel of equal depth goes
// where the scene's order would have left it (relies on invariant 8). Built for AVX2 (see
// pixel_block_avx2.h); invariants cited by number are listed at the top of draw_span_avx2.cpp.

#include <immintrin.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "raster/pixel_block_avx2.h"
#include "raster/raster_types.h"

#pragma GCC push_options
#pragma GCC target("avx2")

namespace quorvel {
namespace {

// The lanes of `level`, pixels whose depth equals the one stored, that this face takes. In
// the scene's order the face drawn first keeps such a pixel; out of order, this face takes it
// where the face that stored the depth comes after it in the scene. A clear depth was stored
// by no face. Rare: out of line, with nothing but integers and addresses passed, so that the
// walk keeps its vectors in registers.
[[gnu::noinline, gnu::cold]] int levelPixelsWon(const uint8_t* faces, const float* depths, uint8_t face,
                                                int level) {
    int won = 0;
    for (int lane = 0; lane < kLanes; ++lane) {
        if ((level >> lane & 1) != 0 && depths[lane] != kClearDepth && faces[lane] > face) won |= 1 << lane;
    }
    return won;
}

// Lanes set where the bits of an eight-bit mask are.
inline __m256 lanesOf(int mask) {
    const __m256i bits = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    return _mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(mask), bits), bits));
}

// Bytes of a 64-bit word set where the bits of an eight-bit lane mask are.
constexpr auto kByteLanes = [] {
    std::array<uint64_t, 256> table{};
    for (int mask = 0; mask < 256; ++mask) {
        for (int lane = 0; lane < kLanes; ++lane) {
            if ((mask >> lane & 1) != 0) table[mask] |= uint64_t{0xFF} << (8 * lane);
        }
    }
    return table;
}();

// Marks the `drawn` lanes of a block, of which `remaining` lie in the span, as drawn by `face`.
[[gnu::always_inline]] inline void storeFace(uint8_t* faces, uint8_t face, __m256 drawn, int remaining) {
    const int lanes = _mm256_movemask_ps(drawn);
    if (remaining >= kLanes) {
        uint64_t word;
        std::memcpy(&word, faces, sizeof word);
        const uint64_t bytes = kByteLanes[lanes];
        word = (word & ~bytes) | (uint64_t{face} * 0x0101010101010101u & bytes);
        std::memcpy(faces, &word, sizeof word);
    } else {
        for (int lane = 0; lane < remaining; ++lane) {
            if ((lanes >> lane & 1) != 0) faces[lane] = face;
        }
    }
}

}  // namespace
}  // namespace quorvel

#pragma GCC pop_options
