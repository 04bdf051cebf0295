#include "raster/span_routines.h"

#include "raster/draw_span_avx2.h"
#include "raster/draw_span_reference.h"

namespace quorvel {

SpanRoutine fastestSpanRoutine() { return __builtin_cpu_supports("avx2") ? drawSpanAvx2 : drawSpanReference; }

const char* spanRoutineName(SpanRoutine routine) {
    return routine == drawSpanAvx2 ? "avx2 (eight pixels at a time)" : "reference (one pixel at a time)";
}

}  // namespace quorvel
