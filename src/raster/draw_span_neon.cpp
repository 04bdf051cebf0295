// drawSpanReference with NEON, a block of kQuads quads of four pixels at a time, bit for bit.
// The walk steps each pixel as the reference does, one after the other (one register holds a
// pixel's attributes, another its normal), and turns each quad around so that a register holds
// one value of four pixels; blocks with no pixel nearer than the depth stored are left there.
// Visible blocks are lit (light_pixels_neon.h) and textured (sample_texture_neon.h), with
// drawSpanAvx2's short cuts where the invariants numbered at the top of draw_span_avx2.cpp
// allow them, checked here as there (needsGeneralPath); faces may come in any order, as there,
// with a face buffer (invariant 8).

#include "raster/draw_span_neon.h"

#include <arm_neon.h>

#include <cmath>
#include <cstdint>

#include "raster/light_pixels_neon.h"
#include "raster/sample_texture_neon.h"
#include "raster/span_setup.h"

namespace quorvel {
namespace {

constexpr int kBlock = 4 * kQuads;  // pixels

// Texture coordinates within this bound keep every bilinear weight finite.
constexpr float kFiniteWeightBound = 1e6f;

// Every stepped value of one lane stays within `bound`: the steps move it one way only, from
// its start to about start + count x step.
bool staysWithin(const float (&start)[4], const float (&step)[4], int count, int lane, float bound) {
    return std::fabs(start[lane]) < bound && std::fabs(step[lane]) * static_cast<float>(count) < bound;
}

// Blue, green and red finite and not negative; the fourth lane is never shaded.
bool isFiniteAndNotNegative(const Vec4& color) {
    for (int c = 0; c < 3; ++c) {
        if (!(color.lane[c] >= 0.0f && color.lane[c] < INFINITY)) return false;
    }
    return true;
}

// Checks invariants 1 to 4, as drawSpanAvx2 does: the general path honours a fourth normal or
// light lane that is not zero, light colours that are negative or not finite, and texture
// coordinates that make bilinear weights infinite; every other span takes the short cuts.
bool needsGeneralPath(const SpanSetup& span, const Light* lights) {
    alignas(16) float attributes[4], attributeStep[4], normal[4], normalStep[4];
    _mm_store_ps(attributes, span.attributes);
    _mm_store_ps(attributeStep, span.attributeStep);
    _mm_store_ps(normal, span.normal);
    _mm_store_ps(normalStep, span.normalStep);
    for (int i = 0; i < kLightCount; ++i) {
        if (lights[i].direction.lane[3] != 0.0f || !isFiniteAndNotNegative(lights[i].diffuse) ||
            !isFiniteAndNotNegative(lights[i].specular))
            return true;
    }
    return normal[3] != 0.0f || normalStep[3] != 0.0f ||
           !staysWithin(attributes, attributeStep, span.count, 0, kFiniteWeightBound) ||
           !staysWithin(attributes, attributeStep, span.count, 1, kFiniteWeightBound);
}

inline float32x4_t neonOf(__m128 value) {
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, value);
    return vld1q_f32(lanes);
}

// Lane `lane` of four pixels' vectors, pixel k in lane k: the pairs of lanes 0 and 1 or 2 and 3
// of pixels 0 and 1 and of pixels 2 and 3 interleaved, then halves of those joined.
template <int lane>
inline float32x4_t laneOfFour(const float32x4_t* pixels) {
    const auto pairs = [](float32x4_t a, float32x4_t b) {
        return vreinterpretq_f64_f32(lane < 2 ? vzip1q_f32(a, b) : vzip2q_f32(a, b));
    };
    const float64x2_t first = pairs(pixels[0], pixels[1]), last = pairs(pixels[2], pixels[3]);
    return vreinterpretq_f32_f64(lane % 2 == 0 ? vzip1q_f64(first, last) : vzip2q_f64(first, last));
}

// Where a span's walk stands: the first pixel of the next block as the reference steps it.
struct SpanWalk {
    float32x4_t attributes, normal;  // (u, v, z, spare) and (nx, ny, nz, nw)
    float32x4_t attributeStep, normalStep;
};

// A block of pixels one after the other, as the walk steps them.
struct SteppedBlock {
    float32x4_t attributes[kBlock], normal[kBlock];
};

[[gnu::always_inline]] inline void stepBlock(SpanWalk& walk, SteppedBlock& block) {
#pragma GCC unroll 8
    for (int k = 0; k < kBlock; ++k) {
        block.attributes[k] = walk.attributes;
        block.normal[k] = walk.normal;
        walk.attributes = vaddq_f32(walk.attributes, walk.attributeStep);
        walk.normal = vaddq_f32(walk.normal, walk.normalStep);
    }
}

// Lights, textures and stores the block's pixels that are `nearer`, the first at `color` and
// `depth` (and `faces`, if kept), `remaining` of them in the span: the reference's
// `depth[i] = z; color[i] = ...`.
template <bool general>
[[gnu::always_inline]] inline void shadeBlock(const SteppedBlock& block, const float32x4_t (&z)[kQuads],
                                              const float32x4_t (&stored)[kQuads],
                                              const uint32x4_t (&nearer)[kQuads], int remaining,
                                              uint32_t* color, float* depth, uint8_t* faces, uint8_t face,
                                              const RasterTarget& target) {
    PixelQuad quads[kQuads];
#pragma GCC unroll kQuads
    for (int q = 0; q < kQuads; ++q) {
        const float32x4_t* attributes = block.attributes + 4 * q;
        const float32x4_t* normal = block.normal + 4 * q;
        quads[q] = {laneOfFour<0>(attributes), laneOfFour<1>(attributes), laneOfFour<0>(normal),
                    laneOfFour<1>(normal),     laneOfFour<2>(normal),     laneOfFour<3>(normal)};
    }
    float32x4_t light[kQuads][3];
    uint32x4_t shaded[kQuads];
    // Unlit off the general path, every light channel is a zero and every texel finite, so
    // every channel is 0 x texel = 0 (relies on invariants 3, 4 and 7).
    if (lightPixels<general, kQuads>(quads, target.lights, *target.approx, light)) {
        QuadTexels texels[kQuads];
#pragma GCC unroll kQuads
        for (int q = 0; q < kQuads; ++q) texels[q] = sampleTexture<general>(quads[q], *target.texture);
#pragma GCC unroll kQuads
        for (int q = 0; q < kQuads; ++q) shaded[q] = packColor(light[q], texels[q]);
    } else {
#pragma GCC unroll kQuads
        for (uint32x4_t& s : shaded) s = vdupq_n_u32(0);
    }
    if (remaining >= kBlock) {
#pragma GCC unroll kQuads
        for (int q = 0; q < kQuads; ++q) {
            vst1q_f32(depth + 4 * q, vbslq_f32(nearer[q], z[q], stored[q]));
            vst1q_u32(color + 4 * q, vbslq_u32(nearer[q], shaded[q], vld1q_u32(color + 4 * q)));
        }
        if (faces != nullptr) {
            static_assert(kBlock == 8, "a block's faces are one 64-bit word");
            const uint8x8_t drawn = vmovn_u16(vcombine_u16(vmovn_u32(nearer[0]), vmovn_u32(nearer[1])));
            vst1_u8(faces, vbsl_u8(drawn, vdup_n_u8(face), vld1_u8(faces)));
        }
        return;
    }
    alignas(16) float zLanes[kBlock];
    alignas(16) uint32_t shadedLanes[kBlock], nearerLanes[kBlock];
    for (int q = 0; q < kQuads; ++q) {
        vst1q_f32(zLanes + 4 * q, z[q]);
        vst1q_u32(shadedLanes + 4 * q, shaded[q]);
        vst1q_u32(nearerLanes + 4 * q, nearer[q]);
    }
    for (int k = 0; k < remaining; ++k) {
        if (nearerLanes[k] != 0) {
            depth[k] = zLanes[k];
            color[k] = shadedLanes[k];
            if (faces != nullptr) faces[k] = face;
        }
    }
}

// Of a block's pixels whose depth equals the one stored, those this face takes, as a mask of
// lanes. In the scene's order the face drawn first keeps such a pixel; out of order, this face
// takes it where the face that stored the depth comes after it in the scene. A clear depth
// was stored by no face. Rare: out of line, so that the walk keeps its vectors in registers.
[[gnu::noinline, gnu::cold]] int levelPixelsWon(const uint8_t* faces, const float* depths, uint8_t face,
                                                const float32x4_t (&z)[kQuads],
                                                const float32x4_t (&stored)[kQuads], int remaining) {
    alignas(16) uint32_t level[kBlock];
    for (int q = 0; q < kQuads; ++q) vst1q_u32(level + 4 * q, vceqq_f32(z[q], stored[q]));
    int won = 0;
    for (int lane = 0; lane < kBlock && lane < remaining; ++lane) {
        if (level[lane] != 0 && depths[lane] != kClearDepth && faces[lane] > face) won |= 1 << lane;
    }
    return won;
}

// Lanes set where the low four bits of `mask` are.
inline uint32x4_t lanesOf(int mask) {
    const uint32x4_t bits = {1, 2, 4, 8};
    return vtstq_u32(vdupq_n_u32(uint32_t(mask)), bits);
}

template <bool general>
void shadeSpan(const SpanSetup& span, const RasterTarget& target) {
    uint32_t* color = target.colorBuffer + span.first;
    float* depth = target.depthBuffer + span.first;
    uint8_t* faces = target.faceBuffer == nullptr ? nullptr : target.faceBuffer + span.first;
    SpanWalk walk = {neonOf(span.attributes), neonOf(span.normal), neonOf(span.attributeStep),
                     neonOf(span.normalStep)};
    for (int done = 0; done < span.count; done += kBlock) {
        SteppedBlock block;
        stepBlock(walk, block);
        const int remaining = span.count - done;
        // Past the span's end the stored depths are -infinity, which no depth is nearer than.
        alignas(16) float partial[kBlock];
        const float* storedDepth = depth + done;
        if (remaining < kBlock) {
            for (int k = 0; k < kBlock; ++k) partial[k] = k < remaining ? storedDepth[k] : -INFINITY;
            storedDepth = partial;
        }
        float32x4_t z[kQuads], stored[kQuads];
        uint32x4_t nearer[kQuads], any = vdupq_n_u32(0), level = vdupq_n_u32(0);
#pragma GCC unroll kQuads
        for (int q = 0; q < kQuads; ++q) {
            z[q] = laneOfFour<2>(block.attributes + 4 * q);
            stored[q] = vld1q_f32(storedDepth + 4 * q);
            // The reference's `z < depth[i]`: NaN on either side fails.
            nearer[q] = vcltq_f32(z[q], stored[q]);
            any = vorrq_u32(any, nearer[q]);
            level = vorrq_u32(level, vceqq_f32(z[q], stored[q]));
        }
        if (faces != nullptr && vmaxvq_u32(level) != 0) [[unlikely]] {
            const int won = levelPixelsWon(faces + done, depth + done, target.face, z, stored, remaining);
#pragma GCC unroll kQuads
            for (int q = 0; q < kQuads; ++q) nearer[q] = vorrq_u32(nearer[q], lanesOf(won >> (4 * q)));
            any = vorrq_u32(any, vdupq_n_u32(uint32_t(won)));
        }
        if (vmaxvq_u32(any) != 0)
            shadeBlock<general>(block, z, stored, nearer, remaining, color + done, depth + done,
                                faces == nullptr ? nullptr : faces + done, target.face, target);
    }
}

}  // namespace

void drawSpanNeon(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target) {
    SpanSetup span;
    if (!setUpSpan(row, endA, endB, target.band, target.rowPitch, span)) return;
    needsGeneralPath(span, target.lights) ? shadeSpan<true>(span, target) : shadeSpan<false>(span, target);
}

}  // namespace quorvel
