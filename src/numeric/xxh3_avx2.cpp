#include "numeric/xxh3_avx2.h"

// XXH3 picks its vector loop from the compiler's target when included, so this file alone
// is compiled for AVX2; everything it inlines is private to it.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace quorvel {

unsigned long long xxh3Avx2(const void* bytes, size_t size) { return XXH3_64bits(bytes, size); }

}  // namespace quorvel
