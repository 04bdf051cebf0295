// drawSpanAvx2's span loop built for AVX-512, shading two visible blocks as one of sixteen
// lanes (see draw_span_avx2.cpp for the invariants its short cuts rely on). Where things are:
//   pixel_pair_avx512.h       sixteen pixels one value a register, joined from two blocks
//   light_pixels_avx512.h     lighting, as light_pixels_avx2.h
//   sample_texture_avx512.h   texturing, as sample_texture_avx2.h

#include "raster/draw_span_avx512.h"

#include <immintrin.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "numeric/approx_math_avx512.h"
#include "numeric/vector_types.h"
#include "raster/raster_types.h"
#include "raster/span_setup.h"
#include "scene/scene.h"

// Everything from here on is built for AVX-512, the routine's headers included: their own
// includes are all above, so no inline helper of another header is built for it (a copy built
// for AVX-512 could be the one the linker keeps for every other caller).
#pragma GCC target("avx512f,avx512bw,avx512dq,avx512vl")
#define QUORVEL_SPAN_MASK_REGISTERS 1

#include "raster/light_pixels_avx512.h"
#include "raster/pixel_pair_avx512.h"
#include "raster/sample_texture_avx512.h"
#include "raster/span_loop_avx2.h"

namespace quorvel {
namespace {

// Lights, textures and stores the nearer pixels of two neighbouring reached blocks, the
// second's first pixel kLanes after the first's.
template <bool general, Estimate estimate>
[[gnu::always_inline]] inline void shadePair(const ReachedBlock (&reached)[kMaxBlocks], int at,
                                             uint32_t* color, float* depth, uint8_t* faces, uint8_t face,
                                             const LightLanes (&lights)[kLightCount],
                                             const RasterTarget& target) {
    const PixelPair p =
        joinBlocks<general>(transpose<general>(reached[0].stepped, reached[0].upper, reached[0].z),
                            transpose<general>(reached[1].stepped, reached[1].upper, reached[1].z));
    __m512 light[3];
    __m512i shaded = _mm512_setzero_si512();
    // Unlit off the general path, every channel is 0 x texel = 0 (relies on invariants 3, 4
    // and 7).
    if (lightPair<general, estimate>(p, target.lights, lights, *target.approx, light))
        shaded = packColor<general>(light, sampleTexture<general>(bilinearTaps(p, *target.texture)));
    const auto maskOf = [](__m256 lanes) {
        return __mmask16(_mm256_movepi32_mask(_mm256_castps_si256(lanes)));
    };
    const __mmask16 nearer = __mmask16(maskOf(reached[0].nearer) | maskOf(reached[1].nearer) << kLanes);
    _mm512_mask_storeu_ps(depth + at, nearer, p.z);
    _mm512_mask_storeu_epi32(color + at, nearer, shaded);
    if (faces != nullptr) {
        storeFace(faces + at, face, reached[0].nearer, reached[0].remaining);
        storeFace(faces + at + kLanes, face, reached[1].nearer, reached[1].remaining);
    }
}

// A lone visible block is shaded on eight lanes, as drawSpanAvx2 shades it.
struct SixteenLaneShading {
    template <bool general, Estimate estimate, int N>
    [[gnu::always_inline]] static void shade(const ReachedBlock (&reached)[kMaxBlocks],
                                             const int (&at)[kMaxBlocks], uint32_t* color, float* depth,
                                             uint8_t* faces, uint8_t face,
                                             const LightLanes (&lights)[kLightCount],
                                             const RasterTarget& target) {
        if constexpr (N == 2) {
            shadePair<general, estimate>(reached, at[0], color, depth, faces, face, lights, target);
        } else {
            shadeBlocks<general, estimate, N>(reached, at, color, depth, faces, face, lights, target);
        }
    }
};

}  // namespace

void drawSpanAvx512(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target) {
    drawSpanWith<SixteenLaneShading>(row, endA, endB, target);
}

}  // namespace quorvel
