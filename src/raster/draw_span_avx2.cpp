// drawSpanReference eight pixels at a time, bit for bit, taking short cuts where a span's
// values allow them.
//
// Where things are:
//   this file               the invariants the short cuts rely on
//   span_loop_avx2.h        the choice of the general path (needsGeneralPath); the span's
//                           loop (shadeSpan): find a visible block and the next, light,
//                           texture and store them (shadeBlocks)
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

#include "raster/span_loop_avx2.h"

// Only what this file and the *_avx2.h headers define is built for AVX2, never the inline
// helpers of the other headers above: a copy of one of those built for AVX2 could be the one
// the linker keeps for the reference routine too, which runs on processors without AVX2.
#pragma GCC target("avx2")

namespace quorvel {

void drawSpanAvx2(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target) {
    drawSpanWith<EightLaneShading>(row, endA, endB, target);
}

}  // namespace quorvel
