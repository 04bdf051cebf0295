// drawSpanAvx2's source built a second time, for AVX-512VL (see draw_span_avx2.cpp for the
// invariants its short cuts rely on).

#include "raster/draw_span_avx512vl.h"

#include <immintrin.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "numeric/approx_math.h"
#include "numeric/vector_types.h"
#include "raster/raster_types.h"
#include "raster/span_setup.h"
#include "scene/scene.h"

// Everything from here on is built for AVX-512, the routine's *_avx2.h headers included:
// their own includes are all above, so no inline helper of another header is built for it
// (a copy built for AVX-512 could be the one the linker keeps for every other caller).
#pragma GCC target("avx512f,avx512bw,avx512dq,avx512vl")
#define QUORVEL_SPAN_MASK_REGISTERS 1

#include "raster/span_loop_avx2.h"

namespace quorvel {

void drawSpanAvx512Vl(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target) {
    drawSpanWith<EightLaneShading>(row, endA, endB, target);
}

}  // namespace quorvel
