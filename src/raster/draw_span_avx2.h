#pragma once

#include "raster/raster_types.h"

namespace quorvel {

// drawSpanReference eight pixels at a time, bit for bit: pixel k gets the attributes and normal the
// one-by-one stepping gives it, and every per-pixel operation happens in the same order.
// Needs a processor with AVX2 and a texture whose fourth bytes are zero.
void drawSpanAvx2(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target);

}  // namespace quorvel
