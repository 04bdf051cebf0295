#pragma once

// Lighting for drawSpanNeon: lightPixel of draw_span_reference.cpp for four pixels a quad and
// kQuads quads at once, step for step: the reference's squaredLength, approxReciprocalSqrt4
// and strongestLight. Its pairwise sums are (x + y) + (z + w) in every lane, and its four
// lanes of r and of each facing are equal but for NaN payloads, which only ever meet
// max(NaN, 0) = 0 or min(NaN, 255) = 255: one lane a pixel holds them all. The short cuts off
// the general path are drawSpanAvx2's, and rely on the invariants numbered at the top of
// draw_span_avx2.cpp, which draw_span_neon.cpp checks as that file does. Only
// draw_span_neon.cpp includes this.

#include <arm_neon.h>

#include <cfloat>

#include "numeric/approx_math.h"
#include "raster/x86_rules_neon.h"
#include "scene/scene.h"

namespace quorvel {
namespace {

// Quads shaded at once: their operations interleaved keep more of the processor's units busy
// than one quad's chain of dependent steps. Loops over quads, lights and channels carry
// `#pragma GCC unroll`: unrolled, their arrays stay in registers.
constexpr int kQuads = 2;

// Four pixels of a span one value a register, pixel k in lane k.
struct PixelQuad {
    float32x4_t u, v, nx, ny, nz, nw;
};

// The reference's pairwise sum of the squared lanes. Off the general path the fourth lane's
// square is +0 (relies on invariant 1), which leaves the sum as it is.
template <bool general>
[[gnu::always_inline]] inline float32x4_t squaredLengthOf(const PixelQuad& p) {
    const float32x4_t nearLength =
        general ? vaddq_f32(vmulq_f32(p.nz, p.nz), vmulq_f32(p.nw, p.nw)) : vmulq_f32(p.nz, p.nz);
    return vaddq_f32(vaddq_f32(vmulq_f32(p.nx, p.nx), vmulq_f32(p.ny, p.ny)), nearLength);
}

// Each normal times r, its reciprocal square root, then the strongest single light per
// channel (blue, green, red), clamped to 255; a NaN facing counts as 0. Returns false when
// no pixel faces any light in any of the N quads, which leaves every channel zero.
template <bool general, int N>
[[gnu::always_inline]] inline bool strongestLight(const PixelQuad (&p)[N], const float32x4_t (&r)[N],
                                                  const Light* lights, float32x4_t (&accumulated)[N][3]) {
    float32x4_t x[N], y[N], z[N], w[N];
    const float32x4_t zero = vdupq_n_f32(0.0f);
#pragma GCC unroll kQuads
    for (int n = 0; n < N; ++n) {
        x[n] = vmulq_f32(p[n].nx, r[n]);
        y[n] = vmulq_f32(p[n].ny, r[n]);
        z[n] = vmulq_f32(p[n].nz, r[n]);
        // Off the general path nw is a zero and r finite, so nw x r is a zero too (relies on
        // invariants 1 and 5).
        w[n] = general ? vmulq_f32(p[n].nw, r[n]) : zero;
#pragma GCC unroll 3
        for (float32x4_t& channel : accumulated[n]) channel = zero;
    }
    bool anyFacing = general;
#pragma GCC unroll 3
    for (int i = 0; i < kLightCount; ++i) {
        const float* direction = lights[i].direction.lane;
        const bool alongView = direction[0] == 0.0f && direction[1] == 0.0f;
        float32x4_t d[N];
        uint32x4_t facingAny = vdupq_n_u32(0);
#pragma GCC unroll kQuads
        for (int n = 0; n < N; ++n) {
            // Off the general path w x dw is a zero, which changes at most the sign of a zero
            // facing, and d drops that (relies on invariants 1, 2, 5 and 9).
            const float32x4_t near =
                general ? vaddq_f32(vmulq_n_f32(z[n], direction[2]), vmulq_n_f32(w[n], direction[3]))
                        : vmulq_n_f32(z[n], direction[2]);
            // Along the view the sideways terms are zeros, likewise. A non-finite x or y comes
            // only with r = 0 or NaN, which makes z x dz zero or NaN and d zero by either sum
            // (relies on invariants 5 and 9).
            const float32x4_t facing =
                !general && alongView
                    ? near
                    : vaddq_f32(vaddq_f32(vmulq_n_f32(x[n], direction[0]), vmulq_n_f32(y[n], direction[1])),
                                near);
            d[n] = x86Max(facing, zero);
            facingAny = vorrq_u32(facingAny, vreinterpretq_u32_f32(d[n]));
        }
        // Facing away everywhere, which a zero d shows by having no bits set: this light's glow
        // is a zero and leaves every channel's light as it is, but maybe for the sign of a
        // zero, which no packed byte shows (relies on invariants 3 and 9).
        if (!general && vmaxvq_u32(facingAny) == 0) continue;
        anyFacing = true;
        const float* diffuse = lights[i].diffuse.lane;
        const float* specular = lights[i].specular.lane;
#pragma GCC unroll kQuads
        for (int n = 0; n < N; ++n) {
            float32x4_t highlight = vmulq_f32(d[n], d[n]);
            highlight = vmulq_f32(highlight, highlight);
            highlight = vmulq_f32(highlight, highlight);
            highlight = vmulq_f32(highlight, highlight);
#pragma GCC unroll 3
            for (int c = 0; c < 3; ++c) {
                const float32x4_t glow =
                    vaddq_f32(vmulq_n_f32(d[n], diffuse[c]), vmulq_n_f32(highlight, specular[c]));
                // The first light meets zeros, and its glow, never negative, wins against them
                // (relies on invariants 3 and 9).
                accumulated[n][c] = !general && i == 0 ? glow : x86Max(accumulated[n][c], glow);
            }
        }
    }
    const float32x4_t ceiling = vdupq_n_f32(255.0f);
#pragma GCC unroll kQuads
    for (int n = 0; n < N; ++n) {
#pragma GCC unroll 3
        for (float32x4_t& channel : accumulated[n]) channel = x86Min(channel, ceiling);
    }
    return anyFacing;
}

// The light of each pixel of N quads, as strongestLight returns it. A zero-length normal has
// an infinite r, which the short cuts do not take: quads with a squared length below the
// normal range take the general lighting (checks invariant 5).
template <bool general, int N>
[[gnu::always_inline]] inline bool lightPixels(const PixelQuad (&p)[N], const Light* lights,
                                               const ApproxModel& approx, float32x4_t (&accumulated)[N][3]) {
    float32x4_t r[N];
    uint32x4_t belowNormal = vdupq_n_u32(0);
#pragma GCC unroll kQuads
    for (int n = 0; n < N; ++n) {
        const float32x4_t squaredLength = squaredLengthOf<general>(p[n]);
        r[n] = modelReciprocalSqrt4Neon(approx, squaredLength);
        belowNormal = vorrq_u32(belowNormal, vcltq_f32(squaredLength, vdupq_n_f32(FLT_MIN)));
    }
    if (!general && vmaxvq_u32(belowNormal) == 0) return strongestLight<false, N>(p, r, lights, accumulated);
    return strongestLight<true, N>(p, r, lights, accumulated);
}

}  // namespace
}  // namespace quorvel
