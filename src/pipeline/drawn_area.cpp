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

}  // namespace

PixelRect drawnBounds(const Viewport& viewport) {
    const int bandRows = viewport.height / kBandCount;
    PixelRect bounds = {viewport.height, 0, viewport.width, 0};
    for (int band = 0; band < kBandCount; ++band) {
        const DrawnStrips& drawn = viewport.drawn[band];
        const int bandEnd = (band + 1) * bandRows;
        for (int strip = 0; strip < kStripsPerBand; ++strip) {
            const ColumnSpan columns = drawn.columns[strip];
            const int firstRow = band * bandRows + strip * drawn.stripRows;
            if (columns.left >= columns.right || firstRow >= bandEnd) continue;
            bounds.top = std::min(bounds.top, firstRow);
            bounds.bottom = std::max(bounds.bottom, std::min(firstRow + drawn.stripRows, bandEnd));
            bounds.left = std::min<int>(bounds.left, columns.left);
            bounds.right = std::max<int>(bounds.right, columns.right);
        }
    }
    return bounds;
}

void clearDrawnArea(Viewport& viewport) {
    const int bandRows = viewport.height / kBandCount;
    for (int band = 0; band < kBandCount; ++band) {
        DrawnStrips& drawn = viewport.drawn[band];
        const int bandEnd = (band + 1) * bandRows;
        for (int strip = 0; strip < kStripsPerBand; ++strip) {
            ColumnSpan& columns = drawn.columns[strip];
            const int firstRow = band * bandRows + strip * drawn.stripRows;
            if (columns.left < columns.right && firstRow < bandEnd)
                clearColumns(viewport, firstRow, std::min(firstRow + drawn.stripRows, bandEnd), columns);
            columns = {static_cast<int16_t>(viewport.width), 0};
        }
    }
}

}  // namespace quorvel
