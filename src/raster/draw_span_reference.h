#pragma once

#include "raster/raster_types.h"

namespace quorvel {

// The reference span shader, one pixel at a time: clips the span to the band, depth-tests,
// lights and textures each pixel. Every faster span routine must match it bit for bit.
void drawSpanReference(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target);

}  // namespace quorvel
