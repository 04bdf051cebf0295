#pragma once

#include "raster/raster_types.h"

namespace quorvel {

// drawSpanReference with NEON, eight pixels a block, bit for bit: pixel k gets the attributes
// and normal the one-by-one stepping gives it, every per-pixel operation happens in the same
// order, and x86's rules where NEON's differ are kept (raster/x86_rules_neon.h). ARM64 only;
// needs a texture whose fourth bytes are zero.
void drawSpanNeon(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target);

}  // namespace quorvel
