#pragma once

#include <algorithm>

#include "raster/raster_types.h"
#include "scene/pixel_rect.h"

namespace quorvel {

// A frame is drawn in two bands, a top one and a bottom one, one worker each.
inline constexpr int kBandCount = 2;

// Band 0 takes rows 0..split-1 and band 1 rows split..height-1, all columns. The reference
// path splits at the middle row; the fast path where the work splits evenly.
inline PixelRect bandRect(int band, int width, int height, int split) {
    return band == 0 ? PixelRect{0, split, 0, width} : PixelRect{split, height, 0, width};
}

inline int middleRow(int height) { return height / kBandCount; }

// Rows first..end-1 of strip `strip` of a band's drawn record; empty past the band's
// last row.
inline PixelRect stripRect(const DrawnStrips& drawn, int strip) {
    const int first = drawn.band.top + strip * drawn.stripRows;
    const ColumnSpan columns = drawn.columns[strip];
    return {first, std::max(first, std::min(first + drawn.stripRows, drawn.band.bottom)), columns.left,
            columns.right};
}

// A record for `band` covering all of it (what is in the buffers is not known yet) or none.
inline DrawnStrips startDrawnStrips(const PixelRect& band, bool whole) {
    DrawnStrips drawn{};
    drawn.band = band;
    drawn.stripRows = stripRowsFor(band.bottom - band.top);
    const ColumnSpan columns =
        whole ? ColumnSpan{static_cast<int16_t>(band.left), static_cast<int16_t>(band.right)}
              : ColumnSpan{static_cast<int16_t>(band.right), static_cast<int16_t>(band.left)};
    for (ColumnSpan& strip : drawn.columns) strip = columns;
    return drawn;
}

}  // namespace quorvel
