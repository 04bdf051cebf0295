#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvel {

// 64-bit FNV-1a over `size` bytes.
uint64_t fnv1a64(const void* bytes, size_t size);

// The hash that names a frame: FNV-1a over its pixels' bytes blue, green, red, 0, row by
// row, the same on every processor.
uint64_t frameHash(const uint32_t* pixels, size_t count);

}  // namespace quorvel
