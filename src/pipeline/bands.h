#pragma once

#include <algorithm>

#include "raster/raster_types.h"
#include "scene/pixel_rect.h"

namespace quorvel {

// A frame is drawn in two bands, the top half and the bottom half, one worker each.
inline constexpr int kBandCount = 2;

// The rows and columns of band `band` (0 top, 1 bottom) in a width x height frame.
inline PixelRect bandRect(int band, int width, int height) {
    const int half = height / kBandCount;
    return {band * half, band * half + half, 0, width};
}

// Rows first..end-1 of strip `strip` of a band's drawn record; empty past the band's
// last row.
inline PixelRect stripRect(const PixelRect& band, const DrawnStrips& drawn, int strip) {
    const int first = band.top + strip * drawn.stripRows;
    const ColumnSpan columns = drawn.columns[strip];
    return {first, std::max(first, std::min(first + drawn.stripRows, band.bottom)), columns.left,
            columns.right};
}

// A record for `band` covering all of it (what is in the buffers is not known yet) or none.
inline DrawnStrips startDrawnStrips(const PixelRect& band, bool whole) {
    DrawnStrips drawn{};
    drawn.stripRows = stripRowsFor(band.bottom - band.top);
    const ColumnSpan columns =
        whole ? ColumnSpan{static_cast<int16_t>(band.left), static_cast<int16_t>(band.right)}
              : ColumnSpan{static_cast<int16_t>(band.right), static_cast<int16_t>(band.left)};
    for (ColumnSpan& strip : drawn.columns) strip = columns;
    return drawn;
}

}  // namespace quorvel
