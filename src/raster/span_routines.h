#pragma once

#include "raster/draw_span.h"

namespace quorvel {

// The fastest span routine this processor runs, bit-identical to drawSpan.
SpanRoutine fastestSpanRoutine();

}  // namespace quorvel
