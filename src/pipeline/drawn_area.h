#pragma once

#include "pipeline/bands.h"
#include "pipeline/viewport.h"
#include "raster/raster_types.h"

namespace quorvel {

// The smallest rectangle holding every strip where the bands drew: outside it both
// buffers hold their clear values.
PixelRect drawnBounds(const Viewport& viewport, const DrawnStrips (&drawn)[kBandCount]);

// Writes the clear values over the strips of both buffers where the bands drew, the only
// places that differ from them.
void clearDrawnArea(const Viewport& viewport, const DrawnStrips (&drawn)[kBandCount]);

}  // namespace quorvel
