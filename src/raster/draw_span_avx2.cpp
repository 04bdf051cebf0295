// drawSpanReference eight pixels at a time, bit for bit, taking short cuts where a span's
// values allow them.
//
// Where things are:
//   this file               the invariants the short cuts rely on; the choice of the general
//                           path (needsGeneralPath); the span's loop (shadeSpan): find a
//                           visible block and the next, light, texture and store them
//                           (shadeBlocks)
//   span_walk_avx2.h        stepping the pixels, comparing depths, ending hidden spans early
//   face_order_avx2.h       which face keeps a pixel of equal depth (the face buffer)
//   pixel_block_avx2.h      eight pixels one a register and one value a register, and the
//                           transpose between
//   light_pixels_avx2.h     lighting: the reference's lightPixel and strongestLight
//   sample_texture_avx2.h   texturing: the reference's sampleTexture and packColor
//
// The reference's steps keep their names here, and their operations keep their order:
// lightPixel (as lightPixels, for blocks of eight pixels), strongestLight, sampleTexture,
// packColor, clampTexelIndex, texelChannels (as texelBlue, texelGreen and texelRed); its
// `z < depth[i]` is reachBlock and settleBlock.
//
// The invariants the short cuts rely on. Each short cut cites those it needs ("relies on
// invariant 3"). needsGeneralPath checks 1 to 4 once a span, and lightPixels 5 and 6 once a
// block: where one fails, the span or block takes the general path, which takes no short cut
// relying on it. 7 and 8 are the callers' to keep; 9 to 11 hold whatever the input.
// tests/raster/span_equivalence_test.cpp checks them against the reference, pixel for pixel:
// it breaks each of 1 to 6, holds 1 to 3 at their edges (zeros of either sign), and draws
// faces out of order (8) and long spans hidden but for one pixel (11).
//
//  1. The normal's fourth lane is a zero, of either sign, at every pixel: the span's first
//     normal and its step have zero there.
//  2. Every light's direction has zero in its fourth lane.
//  3. Every light's blue, green and red, diffuse and specular, are finite and not negative
//     (zeros of either sign included).
//  4. u and v start below 1e6 in size and move less than that over the span
//     (kFiniteWeightBound), so every bilinear weight is finite.
//  5. No pixel's squared normal length is below the normal range. So its reciprocal square
//     root r is never infinite: it is finite, or 0 for an infinite length, or NaN for a NaN
//     one, and a lane of the unit normal (n x r) is infinite or NaN only where r is 0 or NaN.
//  6. With a maker's model computed (Estimate::computed), every squared normal length is a
//     positive normal number, the only input the computation takes.
//  7. The fourth byte of every texel is zero (decodeTexture makes them so, and
//     tests/scene/texture_test.cpp checks it).
//  8. With a face buffer, a depth nearer than the clear one was stored by the face the face
//     buffer names beside it: every face of the frame is drawn by this routine, into a depth
//     buffer that began clear.
//  9. max(x, +0) is +0 for x NaN, -0 or negative (maxps returns its second operand unless the
//     first is greater). So a light's facing d = max(facing, 0) is never NaN or -0, a zero d
//     has no bits set, and facings that differ only in the sign of a zero give the same d.
// 10. The light's fourth lane, which the reference carries along, is finite once clamped
//     (min(NaN, 255) is 255): times the texel's fourth lane it is NaN exactly where that is.
// 11. Each depth the walk steps to lies within DepthEstimate's slack of first + k x step:
//     each addition is off by at most 2^-24 of its result.

#include "raster/draw_span_avx2.h"

#include <immintrin.h>

#include <cmath>

#include "numeric/approx_math.h"
#include "raster/light_pixels_avx2.h"
#include "raster/pixel_block_avx2.h"
#include "raster/sample_texture_avx2.h"
#include "raster/span_setup.h"
#include "raster/span_walk_avx2.h"

// Only what this file and the *_avx2.h headers define is built for AVX2, never the inline
// helpers of the other headers above: a copy of one of those built for AVX2 could be the one
// the linker keeps for the reference routine too, which runs on processors without AVX2.
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

// Lights and textures N reached blocks' nearer pixels and stores them with their depths (and
// faces), the first pixel of block n at[n]: the reference's `depth[i] = z; color[i] = ...`.
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
    for (int n = 0; n < N; ++n) {
        // Masked stores are slow; a whole block is blended and stored instead.
        auto* colorBlock = reinterpret_cast<__m256i*>(color + at[n]);
        const __m256 nearer = reached[n].nearer;
        if (reached[n].remaining >= kLanes) {
            _mm256_storeu_ps(depth + at[n], _mm256_blendv_ps(reached[n].stored, reached[n].z, nearer));
            _mm256_storeu_si256(colorBlock, _mm256_blendv_epi8(_mm256_loadu_si256(colorBlock), shaded[n],
                                                               _mm256_castps_si256(nearer)));
        } else {
            _mm256_maskstore_ps(depth + at[n], _mm256_castps_si256(nearer), reached[n].z);
            _mm256_maskstore_epi32(reinterpret_cast<int*>(colorBlock), _mm256_castps_si256(nearer),
                                   shaded[n]);
        }
        if (faces != nullptr) storeFace(faces + at[n], face, nearer, reached[n].remaining);
    }
}

// GCC cannot follow that the walk reads `ahead` only while `aheadReady`, which is set only once
// `ahead` is stepped, and warns that it may be read unset; setting it at the start of every
// span instead would cost eight stores a span.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
template <bool general, Estimate estimate>
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
            shadeBlocks<general, estimate, 2>(reached, at, color, depth, walk.faces, walk.face, lights,
                                              target);
        } else {
            shadeBlocks<general, estimate, 1>(reached, at, color, depth, walk.faces, walk.face, lights,
                                              target);
        }
    }
}

#pragma GCC diagnostic pop

}  // namespace

void drawSpanAvx2(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target) {
    SpanSetup span;
    if (!setUpSpan(row, endA, endB, target.band, target.rowPitch, span)) return;
    const bool general = needsGeneralPath(span, target.lights);
    if (isNative(*target.approx)) {
        general ? shadeSpan<true, Estimate::instruction>(span, target)
                : shadeSpan<false, Estimate::instruction>(span, target);
    } else if (target.approx->reciprocalSqrtComputed) {
        general ? shadeSpan<true, Estimate::computed>(span, target)
                : shadeSpan<false, Estimate::computed>(span, target);
    } else {
        general ? shadeSpan<true, Estimate::table>(span, target)
                : shadeSpan<false, Estimate::table>(span, target);
    }
}

}  // namespace quorvel
