#include "numeric/fill_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "numeric/simd.h"

namespace quorvel {
namespace {

using Fill = void (*)(uint32_t*, size_t, uint32_t);

void expectExactlyCountWordsFromAnyAlignment(Fill fill) {
    for (size_t offset = 0; offset < 8; ++offset) {
        for (size_t count : {0u, 1u, 3u, 15u, 16u, 17u, 35u, 64u, 100u}) {
            alignas(32) uint32_t words[140];
            std::fill(std::begin(words), std::end(words), 7u);
            fill(words + 1 + offset, count, 0xABCDu);
            for (size_t i = 0; i < std::size(words); ++i) {
                const bool inside = i >= 1 + offset && i < 1 + offset + count;
                ASSERT_EQ(words[i], inside ? 0xABCDu : 7u) << offset << " " << count << " " << i;
            }
        }
    }
}

TEST(FillBuffer, WritesExactlyCountWordsFromAnyAlignment) {
    expectExactlyCountWordsFromAnyAlignment(fillBuffer);
    expectExactlyCountWordsFromAnyAlignment(fillBufferSse2);
}

#if QUORVEL_X86
TEST(FillBuffer, AvxStoresWriteExactlyCountWordsFromAnyAlignment) {
    if (!processorHasAvx()) GTEST_SKIP() << "no AVX on this processor";
    expectExactlyCountWordsFromAnyAlignment(fillBufferAvx);
}
#endif

}  // namespace
}  // namespace quorvel
