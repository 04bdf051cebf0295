#pragma once

#include "raster/raster_types.h"

namespace quorvel {

// drawSpanAvx2 built for AVX-512VL: the same eight lanes and operations, with 32 vector
// registers, and the lanes of a span's ends and the nearer pixels moved under mask registers.
// Needs a processor with AVX-512 F, BW, DQ and VL, whose system saves their state
// (processorHasAvx512), and a texture whose fourth bytes are zero.
void drawSpanAvx512Vl(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target);

}  // namespace quorvel
