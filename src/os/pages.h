#pragma once

#include <cstddef>

namespace quorvel {

// Zero-filled, page-aligned, readable and writable memory; null when refused.
void* allocatePages(size_t bytes);
void releasePages(void* pages, size_t bytes);

}  // namespace quorvel
