#pragma once

#include "frame/bands.h"
#include "raster/drawn_strips.h"

namespace quorvel {

// The bands of `cut`, a frame of the size `drawn` records, in the order the workers should
// take them: where the last frame drew most first, so that the bands left at the end, when a
// worker may wait for the others, are the cheap ones. Equal bands keep top-to-bottom order.
void orderBandsByDrawnArea(const DrawnStrips& drawn, const BandCut& cut, int (&order)[kMaxBands]);

}  // namespace quorvel
