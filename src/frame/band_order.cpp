#include "frame/band_order.h"

#include <algorithm>
#include <cstdint>

namespace quorvel {

void orderBandsByDrawnArea(const DrawnStrips& drawn, const BandCut& cut, int (&order)[kMaxBands]) {
    const int count = cut.count;
    int64_t area[kMaxBands] = {};
    for (int band = 0; band < count; ++band) {
        order[band] = band;
        const PixelRect rows = bandRectOf(cut, band, 0);
        if (rows.top >= rows.bottom) continue;
        for (int strip = rows.top / drawn.stripRows; strip <= (rows.bottom - 1) / drawn.stripRows; ++strip) {
            const PixelRect rect = stripRect(drawn, strip);
            if (isEmpty(rect)) continue;
            const int shared = std::min(rect.bottom, rows.bottom) - std::max(rect.top, rows.top);
            area[band] += int64_t(shared) * (rect.right - rect.left);
        }
    }
    std::sort(order, order + count,
              [&](int a, int b) { return area[a] != area[b] ? area[a] > area[b] : a < b; });
}

}  // namespace quorvel
