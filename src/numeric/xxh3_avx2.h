#pragma once

#include <cstddef>

namespace quorvel {

// XXH3-64 (seed 0) with its AVX2 loop; only on processors that have AVX2.
unsigned long long xxh3Avx2(const void* bytes, size_t size);

}  // namespace quorvel
