#include <emmintrin.h>

#include <cstring>

#include "pipeline/frame_driver.h"

namespace quorvel {
namespace {

// The depth buffer holds floats: write its words without a typed store.
inline void storeWord(uint32_t* destination, uint32_t value) {
    std::memcpy(destination, &value, sizeof value);
}

}  // namespace

void fillBuffer(uint32_t* destination, size_t count, uint32_t value) {
    size_t i = 0;
    // Single words up to the first 16-byte boundary, then 16 words as four aligned stores.
    for (; i < count && reinterpret_cast<uintptr_t>(destination + i) % 16 != 0; ++i)
        storeWord(destination + i, value);
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

}  // namespace quorvel
