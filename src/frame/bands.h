#pragma once

#include <algorithm>
#include <cstdint>

#include "numeric/pixel_rect.h"
#include "raster/raster_types.h"

namespace quorvel {

// Two band workers draw each frame, one per processor.
inline constexpr int kWorkerCount = 2;

// The reference draws the top half and then the bottom half. The workers take the frame in
// up to kMaxBands bands, the next one not yet taken each time, so that neither waits long
// for the other however the work falls or whichever processor is held up.
inline constexpr int kReferenceBands = 2;
inline constexpr int kMaxBands = 32;

// Band `band` of `count` cut top to bottom from a frame `height` rows tall, all columns:
// rows band x height / count up to the next band's first. Two bands are the two halves,
// split at height / 2.
inline PixelRect bandRect(int band, int count, int width, int height) {
    return {int(int64_t(band) * height / count), int(int64_t(band + 1) * height / count), 0, width};
}

inline int stripCount(const DrawnStrips& drawn) {
    return (drawn.rows + drawn.stripRows - 1) / drawn.stripRows;
}

// Rows and columns of strip `strip` of a record; the last strip ends at the frame's bottom.
inline PixelRect stripRect(const DrawnStrips& drawn, int strip) {
    const int first = strip * drawn.stripRows;
    const ColumnSpan columns = drawn.columns[strip];
    return {first, std::min(first + drawn.stripRows, drawn.rows), columns.left, columns.right};
}

// A record for a frame `width` x `height` covering all of it (what is in the buffers is not
// known yet) or none.
inline DrawnStrips startDrawnStrips(int width, int height, bool whole) {
    DrawnStrips drawn{};
    drawn.rows = height;
    drawn.stripRows = stripRowsFor(height);
    const ColumnSpan columns =
        whole ? ColumnSpan{0, static_cast<int16_t>(width)} : ColumnSpan{static_cast<int16_t>(width), 0};
    for (ColumnSpan& strip : drawn.columns) strip = columns;
    return drawn;
}

// Widens `into` by every strip of `from`, a record of the same frame.
inline void widenDrawnStrips(DrawnStrips& into, const DrawnStrips& from) {
    for (int strip = 0; strip < stripCount(into); ++strip) {
        ColumnSpan& to = into.columns[strip];
        to.left = std::min(to.left, from.columns[strip].left);
        to.right = std::max(to.right, from.columns[strip].right);
    }
}

}  // namespace quorvel
