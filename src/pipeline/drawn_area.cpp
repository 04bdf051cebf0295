#include "pipeline/drawn_area.h"

#include <algorithm>

#include "pipeline/frame_driver.h"

namespace quorvel {
namespace {

// Rows are cleared in whole 64-byte lines; the extra words already hold the clear value.
constexpr size_t kLineWords = 16;

void clearColumns(const Viewport& viewport, int firstRow, int endRow, ColumnSpan columns) {
    const size_t pixels = size_t{viewport.width} * viewport.height;
    auto* depth = reinterpret_cast<uint32_t*>(viewport.depthBuffer);
    for (int row = firstRow; row < endRow; ++row) {
        const size_t rowStart = size_t(row) * viewport.width;
        const size_t first = (rowStart + size_t(columns.left)) & ~(kLineWords - 1);
        const size_t end =
            std::min(pixels, (rowStart + size_t(columns.right) + kLineWords - 1) & ~(kLineWords - 1));
        fillBuffer(viewport.colorBuffer + first, end - first, 0);
        fillBuffer(depth + first, end - first, kClearDepthBits);
    }
}

// Rows first..end-1 of one strip of a band; empty past the band's last row.
struct StripRows {
    int first, end;
};

StripRows rowsOf(const Viewport& viewport, int band, int strip) {
    const int bandRows = viewport.height / kBandCount;
    const int stripRows = viewport.drawn[band].stripRows;
    const int first = band * bandRows + strip * stripRows;
    return {first, std::max(first, std::min(first + stripRows, (band + 1) * bandRows))};
}

}  // namespace

PixelRect drawnBounds(const Viewport& viewport) {
    PixelRect bounds = {viewport.height, 0, viewport.width, 0};
    for (int band = 0; band < kBandCount; ++band) {
        for (int strip = 0; strip < kStripsPerBand; ++strip) {
            const ColumnSpan columns = viewport.drawn[band].columns[strip];
            const StripRows rows = rowsOf(viewport, band, strip);
            if (columns.left >= columns.right || rows.first >= rows.end) continue;
            bounds.top = std::min(bounds.top, rows.first);
            bounds.bottom = std::max(bounds.bottom, rows.end);
            bounds.left = std::min<int>(bounds.left, columns.left);
            bounds.right = std::max<int>(bounds.right, columns.right);
        }
    }
    return bounds;
}

void clearDrawnArea(Viewport& viewport) {
    for (int band = 0; band < kBandCount; ++band) {
        for (int strip = 0; strip < kStripsPerBand; ++strip) {
            ColumnSpan& columns = viewport.drawn[band].columns[strip];
            const StripRows rows = rowsOf(viewport, band, strip);
            if (columns.left < columns.right) clearColumns(viewport, rows.first, rows.end, columns);
            columns = {static_cast<int16_t>(viewport.width), 0};
        }
    }
}

}  // namespace quorvel
