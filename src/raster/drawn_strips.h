#pragma once

#include <algorithm>
#include <cstdint>

#include "numeric/pixel_rect.h"

namespace quorvel {

// Where a frame drew, kept while its spans are drawn and read to clear, hash, order bands
// and present it. Written only through startDrawnStrips, recordSpan and widenDrawnStrips.

// Columns left..right-1; empty when left >= right.
struct ColumnSpan {
    int16_t left, right;
};

inline constexpr int kMaxStrips = 256;

// Rows a strip holds when a frame `height` rows tall is cut into at most kMaxStrips strips.
inline int stripRowsFor(int height) {
    return height > kMaxStrips ? (height + kMaxStrips - 1) / kMaxStrips : 1;
}

// Where spans fell: for each strip of `stripRows` rows from the frame's top, the columns its
// spans covered. Each band worker widens a record of its own, on cache lines of its own, so
// the two never write to the same line.
struct alignas(64) DrawnStrips {
    int rows;  // the frame's height
    int stripRows;
    ColumnSpan columns[kMaxStrips];
};

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

// The columns a span of `row` with ends x0 and x1 (either order) can draw inside `band`:
// left..right-1, empty when left >= right or the row lies outside the band.
inline ColumnSpan spanColumns(const PixelRect& band, int row, int x0, int x1) {
    if (row < band.top || row >= band.bottom) return {0, 0};
    return {static_cast<int16_t>(std::max(std::min(x0, x1), band.left)),
            static_cast<int16_t>(std::min(std::max(x0, x1), band.right))};
}

// Widens the strip of `row` by the columns a span between x0 and x1 can draw in `band`.
inline void recordSpan(DrawnStrips& drawn, const PixelRect& band, int row, int x0, int x1) {
    const ColumnSpan columns = spanColumns(band, row, x0, x1);
    if (columns.left >= columns.right) return;
    ColumnSpan& strip = drawn.columns[std::min(row / drawn.stripRows, kMaxStrips - 1)];
    strip.left = std::min(strip.left, columns.left);
    strip.right = std::max(strip.right, columns.right);
}

}  // namespace quorvel
