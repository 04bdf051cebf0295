#pragma once

#include "frame/bands.h"
#include "raster/drawn_strips.h"

namespace quorvel {

// The `count` bands of the frame `drawn` records, in the order the workers should take
// them: where the last frame drew most first, so that the bands left at the end, when one
// worker may wait for the other, are the cheap ones. Equal bands keep top-to-bottom order.
void orderBandsByDrawnArea(const DrawnStrips& drawn, int count, int (&order)[kMaxBands]);

}  // namespace quorvel
