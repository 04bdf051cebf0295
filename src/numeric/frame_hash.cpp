#include "numeric/frame_hash.h"

#include <algorithm>
#include <iterator>

#include "numeric/simd.h"
#include "numeric/xxh3_avx2.h"

// Header-only: the same code in every build, cross-compiled ones included.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace quorvel {

RowRecord rowRecord(const uint32_t* row, int left, int right) {
    while (left < right && row[left] == 0) ++left;
    while (right > left && row[right - 1] == 0) --right;
    // Pixels are stored little-endian on every processor we build for, so their bytes in
    // memory are already blue, green, red, 0.
    const size_t bytes = size_t(right - left) * sizeof *row;
    const uint32_t first = right > left ? uint32_t(left) : 0;
#if QUORVEL_X86
    if (processorHasAvx2()) return {first, uint32_t(right - left), xxh3Avx2(row + left, bytes)};
#endif
    return {first, uint32_t(right - left), XXH3_64bits(row + left, bytes)};
}

uint64_t hashOfRowRecords(const RowRecord* rows, int height) {
    return XXH3_64bits(rows, size_t(height) * sizeof *rows);
}

uint64_t frameHash(const uint32_t* pixels, int width, int height) {
    // Records go to the hash a few hundred at a time: fed in pieces, XXH3 gives the hash
    // of the whole.
    XXH3_state_t frame;
    XXH3_64bits_reset(&frame);
    RowRecord rows[256];
    for (int top = 0; top < height; top += int(std::size(rows))) {
        const int count = std::min(height - top, int(std::size(rows)));
        for (int y = 0; y < count; ++y)
            rows[y] = rowRecord(pixels + size_t(top + y) * size_t(width), 0, width);
        XXH3_64bits_update(&frame, rows, size_t(count) * sizeof *rows);
    }
    return XXH3_64bits_digest(&frame);
}

}  // namespace quorvel
