#pragma once

#include <algorithm>
#include <cstdint>

#include "numeric/pixel_rect.h"

namespace quorvel {

// The reference draws the top half and then the bottom half. The workers take the frame in
// up to kMaxBands bands, the next one not yet taken each time, so that none waits long for
// the others however the work falls or whichever processor is held up.
inline constexpr int kReferenceBands = 2;
inline constexpr int kMaxBands = 1024;

// Bands around the solid for `workers` band workers, chosen with the scaling model in
// bench/scaling_bench.cpp over the zoom cycle at 1910x1070 and 3830x2150: fewer bands leave a
// worker waiting on a large last band, more bands each step the edges of every face from its
// top row down to their own, which grows with the count. 64 was best up to 8 workers (within
// 1 % of 32 at 2) and 128 beyond, each falling off again past that.
inline int bandCountFor(int workers) { return workers <= 8 ? 64 : 128; }

// Band `band` of `count` cut top to bottom from a frame `height` rows tall, all columns:
// rows band x height / count up to the next band's first. Two bands are the two halves,
// split at height / 2.
inline PixelRect bandRect(int band, int count, int width, int height) {
    return {int(int64_t(band) * height / count), int(int64_t(band + 1) * height / count), 0, width};
}

// A frame's rows cut into bands, top to bottom: band b is rows firstRow[b] to
// firstRow[b + 1] - 1, and the last band ends at the frame's bottom.
struct BandCut {
    int count;
    int firstRow[kMaxBands + 1];
};

// bandRect's cut: `count` bands (1 to kMaxBands) of equal rows over all `height` rows.
BandCut evenBands(int count, int height);

// `count` bands of equal rows over rows top..bottom-1, where the frame's faces fall, and one
// band each for the rows above and below them, which only have clearing to do: every band
// then has a share of the drawing, however small the solid. Rows outside the frame are left
// out, and the count is cut to one band a row where there are fewer rows than bands.
BandCut bandsAround(int count, int top, int bottom, int height);

// Band `band` of `cut`, all `width` columns.
inline PixelRect bandRectOf(const BandCut& cut, int band, int width) {
    return {cut.firstRow[band], cut.firstRow[band + 1], 0, width};
}

}  // namespace quorvel
