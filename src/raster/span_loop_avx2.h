#pragma once

// The span's loop of the fast routines, drawSpanAvx2 and those built from it for AVX-512: the
// choice of the general path (needsGeneralPath), then find a visible block and the next,
// light, texture and store them (shadeSpan, with the routine's shading of the visible blocks).
// Built for AVX2 (see pixel_block_avx2.h); invariants cited by number are listed at the top of
// draw_span_avx2.cpp.

#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "numeric/approx_math.h"
#include "raster/light_pixels_avx2.h"
#include "raster/pixel_block_avx2.h"
#include "raster/raster_types.h"
#include "raster/sample_texture_avx2.h"
#include "raster/span_setup.h"
#include "raster/span_walk_avx2.h"

#pragma GCC push_options
#pragma GCC target("avx2")

namespace quorvel {
namespace {

// Texture coordinates within this bound keep every bilinear weight finite.
constexpr float kFiniteWeightBound = 1e6f;

// Every stepped value of one lane stays within `bound`: the steps move it one way only,
// from its start to about start + count x step.
bool staysWithin(const SpanSetup& span, int lane, float bound) {
    alignas(16) float start[4], step[4];
    _mm_store_ps(start, span.attributes);
    _mm_store_ps(step, span.attributeStep);
    return std::fabs(start[lane]) < bound && std::fabs(step[lane]) * static_cast<float>(span.count) < bound;
}

// Blue, green and red finite and not negative; the fourth lane is never shaded.
bool isFiniteAndNotNegative(const Vec4& color) {
    constexpr int kBlueGreenRed = 0b0111;
    const __m128 c = _mm_load_ps(color.lane);
    const __m128 inRange =
        _mm_and_ps(_mm_cmpge_ps(c, _mm_setzero_ps()), _mm_cmplt_ps(c, _mm_set1_ps(INFINITY)));
    return (_mm_movemask_ps(inRange) & kBlueGreenRed) == kBlueGreenRed;
}

bool lightNeedsGeneralPath(const Light& light) {
    return light.direction.lane[3] != 0.0f || !isFiniteAndNotNegative(light.diffuse) ||
           !isFiniteAndNotNegative(light.specular);
}

// Checks invariants 1 to 4: the general path honours a fourth normal or light lane that is
// not zero, light colours that are negative or not finite, and texture coordinates that make
// bilinear weights infinite; every other span takes the short cuts.
bool needsGeneralPath(const SpanSetup& span, const Light* lights) {
    alignas(16) float normal[4], normalStep[4];
    _mm_store_ps(normal, span.normal);
    _mm_store_ps(normalStep, span.normalStep);
    bool general = false;
    for (int i = 0; i < kLightCount; ++i) general = general || lightNeedsGeneralPath(lights[i]);
    return general || normal[3] != 0.0f || normalStep[3] != 0.0f ||
           !staysWithin(span, 0, kFiniteWeightBound) || !staysWithin(span, 1, kFiniteWeightBound);
}

// Stores a reached block's nearer pixels, shaded, with their depths (and faces): the
// reference's `depth[i] = z; color[i] = ...`.
[[gnu::always_inline]] inline void storeBlock(const ReachedBlock& block, int at, __m256i shaded,
                                              uint32_t* color, float* depth, uint8_t* faces, uint8_t face) {
    const __m256i nearer = _mm256_castps_si256(block.nearer);
#if QUORVEL_SPAN_MASK_REGISTERS
    storeLanes(depth + at, nearer, block.z);
    storeLanes(color + at, nearer, shaded);
#else
    // AVX's masked stores are slow; a whole block is blended and stored instead.
    if (block.remaining >= kLanes) {
        auto* colorBlock = reinterpret_cast<__m256i*>(color + at);
        _mm256_storeu_ps(depth + at, _mm256_blendv_ps(block.stored, block.z, block.nearer));
        _mm256_storeu_si256(colorBlock, _mm256_blendv_epi8(_mm256_loadu_si256(colorBlock), shaded, nearer));
    } else {
        storeLanes(depth + at, nearer, block.z);
        storeLanes(color + at, nearer, shaded);
    }
#endif
    if (faces != nullptr) storeFace(faces + at, face, block.nearer, block.remaining);
}

// Lights and textures N reached blocks' nearer pixels and stores them with their depths (and
// faces), the first pixel of block n at[n].
template <bool general, Estimate estimate, int N>
inline void shadeBlocks(const ReachedBlock (&reached)[kMaxBlocks], const int (&at)[kMaxBlocks],
                        uint32_t* color, float* depth, uint8_t* faces, uint8_t face,
                        const LightLanes (&lights)[kLightCount], const RasterTarget& target) {
    PixelBlock blocks[N];
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n)
        blocks[n] = transpose<general>(reached[n].stepped, reached[n].upper, reached[n].z);
    __m256 light[N][3];
    __m256i shaded[N];
    // Unlit off the general path, every light channel is a zero and every texel finite, so
    // every channel is 0 x texel = 0 (relies on invariants 3, 4 and 7).
    if (lightPixels<general, estimate, N>(blocks, lights, *target.approx, light)) {
        // Every block's texels are fetched before any is summed.
        BilinearTaps taps[N];
#pragma GCC unroll kMaxBlocks
        for (int n = 0; n < N; ++n) taps[n] = bilinearTaps(blocks[n], *target.texture);
#pragma GCC unroll kMaxBlocks
        for (int n = 0; n < N; ++n) shaded[n] = packColor<general>(light[n], sampleTexture<general>(taps[n]));
    } else {
#pragma GCC unroll kMaxBlocks
        for (__m256i& s : shaded) s = _mm256_setzero_si256();
    }
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) storeBlock(reached[n], at[n], shaded[n], color, depth, faces, face);
}

// The eight-lane routines' shading of visible blocks: each block in its own registers, two
// blocks' operations side by side.
struct EightLaneShading {
    template <bool general, Estimate estimate, int N>
    [[gnu::always_inline]] static void shade(const ReachedBlock (&reached)[kMaxBlocks],
                                             const int (&at)[kMaxBlocks], uint32_t* color, float* depth,
                                             uint8_t* faces, uint8_t face,
                                             const LightLanes (&lights)[kLightCount],
                                             const RasterTarget& target) {
        shadeBlocks<general, estimate, N>(reached, at, color, depth, faces, face, lights, target);
    }
};

// GCC cannot follow that the walk reads `ahead` only while `aheadReady`, which is set only once
// `ahead` is stepped, and warns that it may be read unset; setting it at the start of every
// span instead would cost eight stores a span.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
template <class Shading, bool general, Estimate estimate>
void shadeSpan(const SpanSetup& span, const RasterTarget& target) {
    // Broadcast once the first pixel is visible: hidden spans never need them.
    LightLanes lights[kLightCount];
    bool lightsReady = false;
    uint32_t* color = target.colorBuffer + span.first;
    float* depth = target.depthBuffer + span.first;
    SpanWalk walk;
    walk.state.next = _mm256_set_m128(span.normal, span.attributes);
    walk.step = _mm256_set_m128(span.normalStep, span.attributeStep);
    walk.depth = depth;
    walk.faces = target.faceBuffer == nullptr ? nullptr : target.faceBuffer + span.first;
    walk.face = target.face;
    walk.count = span.count;
    walk.state.done = 0;
    walk.state.aheadReady = false;
    walk.depths = estimateDepths(span);
    walk.state.unhiddenAt = -1;
    ReachedBlock reached[kMaxBlocks];
    int at[kMaxBlocks];
    while (findVisibleBlock(walk, reached[0])) {
        at[0] = walk.state.done;
        walk.state.done += kLanes;
        // A visible block and the one after it, if that is visible too, are shaded together.
        bool pair = false;
        if (walk.state.done < walk.count) {
            pair = testBlock(walk, reached[1]);
            at[1] = walk.state.done;
            walk.state.done += kLanes;
        }
        // The block after them is stepped ahead: its chain of additions then runs beside the
        // shading rather than after it.
        if (walk.state.done < walk.count) {
            stepBlock(walk, walk.state.ahead);
            walk.state.aheadReady = true;
        }
        if (!lightsReady) {
            broadcastLights(target.lights, lights);
            lightsReady = true;
        }
        if (pair) {
            Shading::template shade<general, estimate, 2>(reached, at, color, depth, walk.faces, walk.face,
                                                          lights, target);
        } else {
            Shading::template shade<general, estimate, 1>(reached, at, color, depth, walk.faces, walk.face,
                                                          lights, target);
        }
    }
}

#pragma GCC diagnostic pop

// drawSpanReference with the span's loop above, visible blocks shaded by `Shading`.
template <class Shading>
void drawSpanWith(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target) {
    SpanSetup span;
    if (!setUpSpan(row, endA, endB, target.band, target.rowPitch, span)) return;
    const bool general = needsGeneralPath(span, target.lights);
    if (isNative(*target.approx)) {
        general ? shadeSpan<Shading, true, Estimate::instruction>(span, target)
                : shadeSpan<Shading, false, Estimate::instruction>(span, target);
    } else if (target.approx->reciprocalSqrtComputed) {
        general ? shadeSpan<Shading, true, Estimate::computed>(span, target)
                : shadeSpan<Shading, false, Estimate::computed>(span, target);
    } else {
        general ? shadeSpan<Shading, true, Estimate::table>(span, target)
                : shadeSpan<Shading, false, Estimate::table>(span, target);
    }
}

}  // namespace
}  // namespace quorvel

#pragma GCC pop_options
