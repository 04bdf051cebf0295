#include "numeric/fill_buffer.h"

#include <cstring>

#include "numeric/simd.h"

namespace quorvel {
namespace {

// The depth buffer holds floats: write its words without a typed store.
inline void storeWord(uint32_t* destination, uint32_t value) {
    std::memcpy(destination, &value, sizeof value);
}

// Single words up to the first `alignment`-byte boundary; returns where blocks can start.
inline size_t fillToBoundary(uint32_t* destination, size_t count, uint32_t value, uintptr_t alignment) {
    size_t i = 0;
    for (; i < count && reinterpret_cast<uintptr_t>(destination + i) % alignment != 0; ++i)
        storeWord(destination + i, value);
    return i;
}

}  // namespace

void fillBufferSse2(uint32_t* destination, size_t count, uint32_t value) {
    size_t i = fillToBoundary(destination, count, value, 16);
    const __m128i block = _mm_set1_epi32(static_cast<int>(value));
    for (; i + 16 <= count; i += 16) {
        auto* out = reinterpret_cast<__m128i*>(destination + i);
        _mm_store_si128(out, block);
        _mm_store_si128(out + 1, block);
        _mm_store_si128(out + 2, block);
        _mm_store_si128(out + 3, block);
    }
    for (; i < count; ++i) storeWord(destination + i, value);
}

#if QUORVEL_X86
__attribute__((target("avx"))) void fillBufferAvx(uint32_t* destination, size_t count, uint32_t value) {
    size_t i = fillToBoundary(destination, count, value, 32);
    const __m256i block = _mm256_set1_epi32(static_cast<int>(value));
    for (; i + 16 <= count; i += 16) {
        auto* out = reinterpret_cast<__m256i*>(destination + i);
        _mm256_store_si256(out, block);
        _mm256_store_si256(out + 1, block);
    }
    for (; i < count; ++i) storeWord(destination + i, value);
}
#endif

// Cached stores, not streaming ones: the rows cleared are the ones drawn next, and
// streaming them out to memory measured slower over the whole frame.
void fillBuffer(uint32_t* destination, size_t count, uint32_t value) {
#if QUORVEL_X86
    if (processorHasAvx()) {
        fillBufferAvx(destination, count, value);
        return;
    }
#endif
    fillBufferSse2(destination, count, value);
}

}  // namespace quorvel
