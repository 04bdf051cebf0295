#include "raster/span_routines.h"

#include "raster/draw_span_avx2.h"
#include "raster/draw_span_reference.h"

namespace quorvel {

SpanRoutine fastestSpanRoutine() { return __builtin_cpu_supports("avx2") ? drawSpanAvx2 : drawSpanReference; }

}  // namespace quorvel
