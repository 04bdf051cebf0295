#pragma once

#include "raster/raster_types.h"

namespace quorvel {

// drawSpanAvx2's walk, eight pixels at a time, with two visible blocks shaded together as
// sixteen lanes of AVX-512: the same operations on every pixel in the same order, bit for
// bit. Needs a processor with AVX-512 F, BW, DQ and VL, whose system saves their state
// (processorHasAvx512), and a texture whose fourth bytes are zero.
void drawSpanAvx512(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target);

}  // namespace quorvel
