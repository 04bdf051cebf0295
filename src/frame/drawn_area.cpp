#include "frame/drawn_area.h"

#include <algorithm>
#include <cstdint>

#include "numeric/fill_buffer.h"

namespace quorvel {
namespace {

// Rows are cleared in whole 64-byte lines where the line stays in the row; the extra words
// already hold the clear value, and the rows beside may be another band's, being drawn.
constexpr size_t kLineWords = 16;

void clearRect(uint32_t* buffer, int width, uint32_t value, const PixelRect& rect) {
    for (int row = rect.top; row < rect.bottom; ++row) {
        const size_t rowStart = size_t(row) * size_t(width);
        const size_t rowEnd = rowStart + size_t(width);
        const size_t first = std::max(rowStart, (rowStart + size_t(rect.left)) & ~(kLineWords - 1));
        const size_t end =
            std::min(rowEnd, (rowStart + size_t(rect.right) + kLineWords - 1) & ~(kLineWords - 1));
        fillBuffer(buffer + first, end - first, value);
    }
}

void clearStrips(uint32_t* buffer, int width, uint32_t value, const DrawnStrips& drawn, int top, int bottom) {
    for (int strip = top / drawn.stripRows; strip <= (bottom - 1) / drawn.stripRows; ++strip) {
        PixelRect area = stripRect(drawn, strip);
        area.top = std::max(area.top, top);
        area.bottom = std::min(area.bottom, bottom);
        if (!isEmpty(area)) clearRect(buffer, width, value, area);
    }
}

int64_t pixels(const PixelRect& rect) {
    return isEmpty(rect) ? 0 : int64_t(rect.bottom - rect.top) * (rect.right - rect.left);
}

// A changed area being built, and how many pixels of its last rectangle lie in the rows
// joined into it: the rest was sent only to save requests.
struct AreaBuilder {
    ChangedArea area{};
    int64_t lastNeeded = 0;
};

// Adds rows below the area's last ones. A window system request costs about as much as
// copying a thousand pixels, so rows join the rectangle above while that wastes at most as
// many pixels in all; so does everything once the area holds all the rectangles it can.
void addChangedRows(AreaBuilder& builder, const PixelRect& rows) {
    constexpr int64_t kWastedPixelsPerRequest = 1024;
    if (isEmpty(rows)) return;
    ChangedArea& area = builder.area;
    if (area.count > 0) {
        PixelRect& last = area.rects[area.count - 1];
        const PixelRect joined = enclosing(last, rows);
        const int64_t needed = builder.lastNeeded + pixels(rows);
        const bool touching = last.bottom == rows.top;
        if (area.count == kMaxChangedRects ||
            (touching && pixels(joined) - needed <= kWastedPixelsPerRequest)) {
            last = joined;
            builder.lastNeeded = needed;
            return;
        }
    }
    area.rects[area.count++] = rows;
    builder.lastNeeded = pixels(rows);
}

}  // namespace

ChangedArea changedBetween(const DrawnStrips& before, const DrawnStrips& after) {
    AreaBuilder builder;
    for (int strip = 0; strip < stripCount(after); ++strip)
        addChangedRows(builder, enclosing(stripRect(before, strip), stripRect(after, strip)));
    return builder.area;
}

void clearDrawnRows(const Viewport& viewport, const DrawnStrips& colorDrawn, const DrawnStrips& depthDrawn,
                    int top, int bottom) {
    if (top >= bottom) return;
    clearStrips(viewport.colorBuffer, viewport.width, kClearColor, colorDrawn, top, bottom);
    clearStrips(reinterpret_cast<uint32_t*>(viewport.depthBuffer), viewport.width, kClearDepthBits,
                depthDrawn, top, bottom);
}

}  // namespace quorvel
