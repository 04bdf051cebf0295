#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvel {

// What a row contributes to its frame's hash: where its pixels other than 0 begin, how many
// pixels run from there to the last of them (0 and 0 for a row all 0), and XXH3-64 (seed 0)
// of that run's bytes blue, green, red, 0, left to right. Since everything outside the run
// is 0, the record stands for the whole row.
struct RowRecord {
    uint32_t first;
    uint32_t count;
    uint64_t hash;
};
static_assert(sizeof(RowRecord) == 16, "rows are hashed as 16 bytes each");

// The record of a row whose pixels outside columns left..right-1 are known to be 0: only
// those columns are read.
RowRecord rowRecord(const uint32_t* row, int left, int right);

// The hash that names a frame, the same on every processor: XXH3-64 (seed 0) over its row
// records top to bottom, each as little-endian 32-, 32- and 64-bit values. Rows hash
// independently, so the band workers hash their own rows while those are in cache, and
// only the part of a row something was drawn in is read; XXH3 over every byte of a frame
// would take a sixth of the time the frame takes to draw, on one processor.
uint64_t hashOfRowRecords(const RowRecord* rows, int height);

// Both steps over a frame of `height` rows `width` pixels apart.
uint64_t frameHash(const uint32_t* pixels, int width, int height);

}  // namespace quorvel
