#pragma once

#include "raster/raster_types.h"

namespace quorvel {

// The fastest span routine this processor runs, bit-identical to drawSpanReference.
SpanRoutine fastestSpanRoutine();

}  // namespace quorvel
