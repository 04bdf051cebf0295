#pragma once

#include <cstddef>
#include <cstdint>

#include "numeric/processor.h"

namespace quorvel {

// Writes exactly `count` words equal to `value`: single words up to an aligned boundary,
// then blocks of 16 words, with the widest aligned stores the processor has.
void fillBuffer(uint32_t* destination, size_t count, uint32_t value);

// The two ways fillBuffer writes, in 16-byte or 32-byte stores.
void fillBufferSse2(uint32_t* destination, size_t count, uint32_t value);
#if QUORVEL_X86
void fillBufferAvx(uint32_t* destination, size_t count, uint32_t value);
#endif

}  // namespace quorvel
