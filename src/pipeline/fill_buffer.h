#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvel {

// The two ways fillBuffer writes, chosen by what the processor has: each writes exactly
// `count` words equal to `value`, single words up to an aligned boundary and then blocks
// of 16 words in aligned 16-byte or 32-byte stores.
void fillBufferSse2(uint32_t* destination, size_t count, uint32_t value);
void fillBufferAvx(uint32_t* destination, size_t count, uint32_t value);

}  // namespace quorvel
