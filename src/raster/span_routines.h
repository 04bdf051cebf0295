#pragma once

#include "raster/raster_types.h"

namespace quorvel {

// The fastest span routine this processor runs, bit-identical to drawSpanReference.
SpanRoutine fastestSpanRoutine();
// "avx2" or "reference", as --version says.
const char* spanRoutineName(SpanRoutine routine);

}  // namespace quorvel
