#pragma once

// Sanitizer builds check every span routine's writes: a routine that wrote outside the
// columns it was given would leave pixels the drawn record does not know of, never cleared
// and wrongly hashed, silently.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "raster/drawn_strips.h"
#include "raster/raster_types.h"

namespace quorvel {

// Pixels kept on either side of a span: more than two blocks of the widest routine.
inline constexpr int kSpanSurroundings = 64;

// The pixels of a span's row on either side of the columns it may draw, as they were before.
struct SpanSurroundings {
    int row;
    int first, last;  // columns first..last-1 are kept, but for the span's own
    ColumnSpan span;
    uint32_t color[2 * kSpanSurroundings];
    uint32_t depth[2 * kSpanSurroundings];
    uint8_t faces[2 * kSpanSurroundings];
};

inline bool keptColumn(const SpanSurroundings& kept, int column) {
    return column < kept.span.left || column >= kept.span.right;
}

// Keeps the surroundings of `span` in `row` (an empty span: of its place in the band).
inline SpanSurroundings surroundingsOf(int row, ColumnSpan span, const RasterTarget& target) {
    const PixelRect& band = target.band;
    SpanSurroundings kept{};
    kept.row = row;
    if (span.left >= span.right) {
        span.left = span.right = static_cast<int16_t>(std::clamp<int>(span.left, band.left, band.right));
    }
    kept.span = span;
    kept.first = std::max(band.left, span.left - kSpanSurroundings);
    kept.last = std::min(band.right, span.right + kSpanSurroundings);
    if (row < band.top || row >= band.bottom) kept.first = kept.last = 0;
    int at = 0;
    for (int column = kept.first; column < kept.last; ++column) {
        if (!keptColumn(kept, column)) continue;
        const size_t pixel = size_t(row) * size_t(target.rowPitch) + size_t(column);
        kept.color[at] = target.colorBuffer[pixel];
        std::memcpy(&kept.depth[at], &target.depthBuffer[pixel], sizeof(uint32_t));
        kept.faces[at] = target.faceBuffer != nullptr ? target.faceBuffer[pixel] : 0;
        ++at;
    }
    return kept;
}

// Ends the process, naming the pixel, when the span routine changed one it was not given.
inline void checkSpanStayedInside(const SpanSurroundings& kept, const RasterTarget& target) {
    int at = 0;
    for (int column = kept.first; column < kept.last; ++column) {
        if (!keptColumn(kept, column)) continue;
        const size_t pixel = size_t(kept.row) * size_t(target.rowPitch) + size_t(column);
        uint32_t depth;
        std::memcpy(&depth, &target.depthBuffer[pixel], sizeof depth);
        const bool same = target.colorBuffer[pixel] == kept.color[at] && depth == kept.depth[at] &&
                          (target.faceBuffer == nullptr || target.faceBuffer[pixel] == kept.faces[at]);
        if (!same) {
            std::fprintf(stderr, "span routine wrote outside its span: row %d, column %d, span %d..%d\n",
                         kept.row, column, kept.span.left, kept.span.right - 1);
            std::abort();
        }
        ++at;
    }
}

}  // namespace quorvel
