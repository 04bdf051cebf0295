#include "raster/span_routines.h"

#include "numeric/simd.h"
#include "raster/draw_span_avx2.h"
#include "raster/draw_span_reference.h"

namespace quorvel {

#if QUORVEL_X86
SpanRoutine fastestSpanRoutine() { return processorHasAvx2() ? drawSpanAvx2 : drawSpanReference; }

const char* spanRoutineName(SpanRoutine routine) {
    return routine == drawSpanAvx2 ? "avx2 (eight pixels at a time)" : "reference (one pixel at a time)";
}
#else
SpanRoutine fastestSpanRoutine() { return drawSpanReference; }

const char* spanRoutineName(SpanRoutine) { return "reference (one pixel at a time)"; }
#endif

}  // namespace quorvel
