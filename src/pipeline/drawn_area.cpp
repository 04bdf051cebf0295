#include "pipeline/drawn_area.h"

#include <algorithm>

#include "pipeline/fill_buffer.h"

namespace quorvel {
namespace {

// Rows are cleared in whole 64-byte lines where the line stays in the row; the extra words
// already hold the clear value, and the rows beside may be another band's, being drawn.
constexpr size_t kLineWords = 16;

void clearRect(const Viewport& viewport, const PixelRect& rect) {
    auto* depth = reinterpret_cast<uint32_t*>(viewport.depthBuffer);
    for (int row = rect.top; row < rect.bottom; ++row) {
        const size_t rowStart = size_t(row) * viewport.width;
        const size_t rowEnd = rowStart + viewport.width;
        const size_t first = std::max(rowStart, (rowStart + size_t(rect.left)) & ~(kLineWords - 1));
        const size_t end =
            std::min(rowEnd, (rowStart + size_t(rect.right) + kLineWords - 1) & ~(kLineWords - 1));
        fillBuffer(viewport.colorBuffer + first, end - first, kClearColor);
        fillBuffer(depth + first, end - first, kClearDepthBits);
    }
}

}  // namespace

PixelRect drawnBounds(const Viewport& viewport, const DrawnStrips (&drawn)[kBandCount]) {
    PixelRect bounds = {viewport.height, 0, viewport.width, 0};
    for (const DrawnStrips& band : drawn) {
        for (int strip = 0; strip < kStripsPerBand; ++strip)
            bounds = enclosing(bounds, stripRect(band, strip));
    }
    return bounds;
}

void clearDrawnRows(const Viewport& viewport, const DrawnStrips (&drawn)[kBandCount], int top, int bottom) {
    for (const DrawnStrips& band : drawn) {
        for (int strip = 0; strip < kStripsPerBand; ++strip) {
            PixelRect area = stripRect(band, strip);
            area.top = std::max(area.top, top);
            area.bottom = std::min(area.bottom, bottom);
            if (!isEmpty(area)) clearRect(viewport, area);
        }
    }
}

}  // namespace quorvel
