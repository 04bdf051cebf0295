#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvel {

inline constexpr uint64_t kFnv1aOffsetBasis = 0xcbf29ce484222325ull;

// 64-bit FNV-1a over `size` bytes; given the hash of the bytes before them, continues it.
uint64_t fnv1a64(const void* bytes, size_t size, uint64_t hash = kFnv1aOffsetBasis);

// The hash that names a frame: FNV-1a over its pixels' bytes blue, green, red, 0, row by
// row, the same on every processor.
uint64_t frameHash(const uint32_t* pixels, size_t count);

}  // namespace quorvel
