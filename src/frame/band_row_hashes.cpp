#include "frame/band_row_hashes.h"

#include "raster/raster_types.h"

namespace quorvel {

static_assert(kClearColor == 0, "row records leave out the clear colour");

void hashBandRows(const Viewport& viewport, const DrawnStrips& workerDrawn, int top, int bottom,
                  RowRecord* rows) {
    // Only this band's worker writes its rows, and it cleared every pixel the last frame
    // drew there before drawing: outside the columns its record holds, the rows are clear.
    for (int y = top; y < bottom; ++y) {
        const ColumnSpan drawn = workerDrawn.columns[std::min(y / workerDrawn.stripRows, kMaxStrips - 1)];
        rows[y] = rowRecord(viewport.colorBuffer + size_t(y) * viewport.width, drawn.left,
                            std::max(drawn.left, drawn.right));
    }
}

}  // namespace quorvel
