#pragma once

#include "pipeline/bands.h"
#include "pipeline/viewport.h"
#include "raster/raster_types.h"

namespace quorvel {

// The smallest rectangle holding every strip where the bands drew: outside it both
// buffers hold their clear values.
PixelRect drawnBounds(const Viewport& viewport, const DrawnStrips (&drawn)[kBandCount]);

// Writes the clear values over the strips of both buffers where the bands drew, the only
// places that differ from them, in rows top..bottom-1 only: each band worker clears its own
// rows while the other draws.
void clearDrawnRows(const Viewport& viewport, const DrawnStrips (&drawn)[kBandCount], int top, int bottom);

}  // namespace quorvel
