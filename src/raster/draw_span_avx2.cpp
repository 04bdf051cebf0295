#include "raster/draw_span_avx2.h"

#include <immintrin.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "numeric/approx_math.h"
#include "raster/span_setup.h"

// Only what this file defines is built for AVX2, never the inline helpers of the headers
// above: a copy of one of those built for AVX2 could be the one the linker keeps for the
// reference routine too, which runs on processors without AVX2.
#pragma GCC target("avx2")

namespace quorvel {
namespace {

// The routines that shade two blocks at once are large; called rather than inlined, their
// arrays of blocks would pass through memory.
#define ALWAYS_INLINE [[gnu::always_inline]] inline

constexpr int kLanes = 8;
// Blocks shaded at once: two blocks' operations interleaved keep more of the processor's
// units busy than one block's chain of dependent steps.
constexpr int kMaxBlocks = 2;
// Texture coordinates within this bound keep every bilinear weight finite.
constexpr float kFiniteWeightBound = 1e6f;

struct LightLanes {
    __m256 direction[4];
    __m256 diffuse[3];
    __m256 specular[3];
    bool alongView;  // no sideways component
};

void broadcastLights(const Light* table, LightLanes (&lights)[kLightCount]) {
    for (int i = 0; i < kLightCount; ++i) {
        for (int lane = 0; lane < 4; ++lane)
            lights[i].direction[lane] = _mm256_set1_ps(table[i].direction.lane[lane]);
        for (int c = 0; c < 3; ++c) {
            lights[i].diffuse[c] = _mm256_set1_ps(table[i].diffuse.lane[c]);
            lights[i].specular[c] = _mm256_set1_ps(table[i].specular.lane[c]);
        }
        lights[i].alongView = table[i].direction.lane[0] == 0.0f && table[i].direction.lane[1] == 0.0f;
    }
}

struct PixelBlock {
    __m256 u, v, z, nx, ny, nz, nw;
};

// Eight pixels' (u, v, z, spare | nx, ny, nz, nw), one pixel a register. The depths come
// out first so hidden blocks skip the rest of the transpose.
struct SteppedPixels {
    __m256 pixel[kLanes];
    __m256 high[4];

    __m256 depths() {
#pragma GCC unroll 4
        for (int pair = 0; pair < 4; ++pair)
            high[pair] = _mm256_unpackhi_ps(pixel[2 * pair], pixel[2 * pair + 1]);
        return _mm256_permute2f128_ps(_mm256_shuffle_ps(high[0], high[1], 0x44),
                                      _mm256_shuffle_ps(high[2], high[3], 0x44), 0x20);
    }

    // Off the general path the fourth normal lane is taken as zero: there it is a zero of
    // either sign in every pixel, and the lighting gives the same bits for both.
    template <bool general>
    PixelBlock transpose(__m256 z) const {
        __m256 low[4];
#pragma GCC unroll 4
        for (int pair = 0; pair < 4; ++pair)
            low[pair] = _mm256_unpacklo_ps(pixel[2 * pair], pixel[2 * pair + 1]);
        const __m256 uFirst = _mm256_shuffle_ps(low[0], low[1], 0x44),
                     uLast = _mm256_shuffle_ps(low[2], low[3], 0x44);
        const __m256 vFirst = _mm256_shuffle_ps(low[0], low[1], 0xEE),
                     vLast = _mm256_shuffle_ps(low[2], low[3], 0xEE);
        const __m256 zFirst = _mm256_shuffle_ps(high[0], high[1], 0x44);
        const __m256 zLast = _mm256_shuffle_ps(high[2], high[3], 0x44);
        const __m256 w = general ? _mm256_permute2f128_ps(_mm256_shuffle_ps(high[0], high[1], 0xEE),
                                                          _mm256_shuffle_ps(high[2], high[3], 0xEE), 0x31)
                                 : _mm256_setzero_ps();
        return {_mm256_permute2f128_ps(uFirst, uLast, 0x20),
                _mm256_permute2f128_ps(vFirst, vLast, 0x20),
                z,
                _mm256_permute2f128_ps(uFirst, uLast, 0x31),
                _mm256_permute2f128_ps(vFirst, vLast, 0x31),
                _mm256_permute2f128_ps(zFirst, zLast, 0x31),
                w};
    }
};

inline __m256 add(__m256 a, __m256 b) { return _mm256_add_ps(a, b); }
inline __m256 mul(__m256 a, __m256 b) { return _mm256_mul_ps(a, b); }

// Strongest single light per channel (blue, green, red), clamped to 255; a NaN facing
// counts as 0. Off the general path the normal's fourth lane and the lights' are known to
// be zero and the reciprocal square root finite, which leaves every sum bit-identical once
// d = max(facing, 0) has folded away the sign of a zero. Returns false when no pixel faces
// any light in any of the N blocks, which leaves every channel zero.
template <bool general, int N>
ALWAYS_INLINE bool lightPixels(const PixelBlock (&p)[N], const __m256 (&r)[N],
                               const LightLanes (&lights)[kLightCount], __m256 (&accumulated)[N][3]) {
    __m256 x[N], y[N], z[N], w[N];
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) {
        x[n] = mul(p[n].nx, r[n]);
        y[n] = mul(p[n].ny, r[n]);
        z[n] = mul(p[n].nz, r[n]);
        w[n] = general ? mul(p[n].nw, r[n]) : _mm256_setzero_ps();
    }
    const __m256 zero = _mm256_setzero_ps();
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) {
#pragma GCC unroll 3
        for (__m256& channel : accumulated[n]) channel = zero;
    }
    bool anyFacing = general;
#pragma GCC unroll 3
    for (int i = 0; i < kLightCount; ++i) {
        const LightLanes& light = lights[i];
        __m256 d[N];
        __m256 facingAny = zero;
#pragma GCC unroll kMaxBlocks
        for (int n = 0; n < N; ++n) {
            const __m256 near = general ? add(mul(z[n], light.direction[2]), mul(w[n], light.direction[3]))
                                        : mul(z[n], light.direction[2]);
            // Along the view the sideways terms are zeros, which change at most the sign of a
            // zero facing, and d drops that. A non-finite x or y comes only with r = 0 or NaN,
            // which makes z x dz zero or NaN and d zero by either sum.
            const __m256 facing =
                !general && light.alongView
                    ? near
                    : add(add(mul(x[n], light.direction[0]), mul(y[n], light.direction[1])), near);
            d[n] = _mm256_max_ps(facing, zero);
            facingAny = _mm256_or_ps(facingAny, d[n]);
        }
        // Facing away everywhere: with finite, non-negative light colours this light adds
        // max(acc, 0) = acc to every channel. d is never NaN or -0, so a zero one has no bits.
        if (!general && _mm256_testz_si256(_mm256_castps_si256(facingAny), _mm256_castps_si256(facingAny)))
            continue;
        anyFacing = true;
#pragma GCC unroll kMaxBlocks
        for (int n = 0; n < N; ++n) {
            __m256 highlight = mul(d[n], d[n]);
            highlight = mul(highlight, highlight);
            highlight = mul(highlight, highlight);
            highlight = mul(highlight, highlight);
#pragma GCC unroll 3
            for (int c = 0; c < 3; ++c) {
                const __m256 glow = add(mul(d[n], light.diffuse[c]), mul(highlight, light.specular[c]));
                // The first light meets zeros, and its finite, non-negative glow wins against them.
                accumulated[n][c] = !general && i == 0 ? glow : _mm256_max_ps(accumulated[n][c], glow);
            }
        }
    }
    const __m256 ceiling = _mm256_set1_ps(255.0f);
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) {
#pragma GCC unroll 3
        for (__m256& channel : accumulated[n]) channel = _mm256_min_ps(channel, ceiling);
    }
    return anyFacing;
}

inline bool anyBelowNormalRange(__m256 value) {
    return _mm256_movemask_ps(_mm256_cmp_ps(value, _mm256_set1_ps(FLT_MIN), _CMP_LT_OQ)) != 0;
}

// Where each pixel's reciprocal square root comes from: this processor's instruction, a
// maker's model computed from it, or that model's tables.
enum class Estimate { instruction, computed, table };

template <Estimate estimate>
ALWAYS_INLINE __m256 reciprocalSqrt8(const ApproxModel& approx, __m256 value) {
    static_assert(estimate != Estimate::computed, "computed blocks take lightBlockComputed");
    if constexpr (estimate == Estimate::table) return modelReciprocalSqrt8(approx, value);
    return nativeReciprocalSqrt8(value);
}

// Zero, denormal, infinite or NaN lanes: only a positive normal number's bits plus 2^23 make
// a signed integer of at least 2^24.
inline bool anyOutsideNormalRange(__m256 value) {
    const __m256i shifted = _mm256_add_epi32(_mm256_castps_si256(value), _mm256_set1_epi32(1 << 23));
    return _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(_mm256_set1_epi32(1 << 24), shifted))) !=
           0;
}

template <bool general>
ALWAYS_INLINE __m256 squaredLengthOf(const PixelBlock& p) {
    const __m256 nearLength = general ? add(mul(p.nz, p.nz), mul(p.nw, p.nw)) : mul(p.nz, p.nz);
    return add(add(mul(p.nx, p.nx), mul(p.ny, p.ny)), nearLength);
}

// A maker's model computed: blocks with a squared length outside the normal range, which the
// computation does not take, go the general way with the model's full form.
template <bool general, int N>
ALWAYS_INLINE bool lightBlockComputed(const PixelBlock (&p)[N], const LightLanes (&lights)[kLightCount],
                                      const ApproxModel& approx, __m256 (&accumulated)[N][3]) {
    __m256 squaredLength[N], r[N];
    bool unusual = false;
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) {
        squaredLength[n] = squaredLengthOf<general>(p[n]);
        unusual = unusual || anyOutsideNormalRange(squaredLength[n]);
    }
    if (unusual) {
#pragma GCC unroll kMaxBlocks
        for (int n = 0; n < N; ++n) r[n] = modelReciprocalSqrt8AnyInput(approx, squaredLength[n]);
        return lightPixels<true, N>(p, r, lights, accumulated);
    }
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) r[n] = computedReciprocalSqrt8(approx, squaredLength[n]);
    return lightPixels<general, N>(p, r, lights, accumulated);
}

template <bool general, Estimate estimate, int N>
ALWAYS_INLINE bool lightBlock(const PixelBlock (&p)[N], const LightLanes (&lights)[kLightCount],
                              const ApproxModel& approx, __m256 (&accumulated)[N][3]) {
    if constexpr (estimate == Estimate::computed) {
        return lightBlockComputed<general, N>(p, lights, approx, accumulated);
    } else {
        __m256 r[N];
        bool belowNormal = false;
#pragma GCC unroll kMaxBlocks
        for (int n = 0; n < N; ++n) {
            const __m256 squaredLength = squaredLengthOf<general>(p[n]);
            r[n] = reciprocalSqrt8<estimate>(approx, squaredLength);
            belowNormal = belowNormal || anyBelowNormalRange(squaredLength);
        }
        // A zero-length normal makes every facing NaN through its fourth lane. Blocks with a
        // squared length below the normal range take the general path, which leaves r finite
        // off it; the test waits on the sum, not on the reciprocal square root.
        if (!general && !belowNormal) return lightPixels<false, N>(p, r, lights, accumulated);
        return lightPixels<true, N>(p, r, lights, accumulated);
    }
}

// Texel channels as floats: blue, green, red (the fourth byte of every texel is zero).
inline __m256 blueOf(__m256i t) { return _mm256_cvtepi32_ps(_mm256_and_si256(t, _mm256_set1_epi32(0xFF))); }
inline __m256 greenOf(__m256i t) {
    const __m256i pick = _mm256_setr_epi8(1, -1, -1, -1, 5, -1, -1, -1, 9, -1, -1, -1, 13, -1, -1, -1,  //
                                          1, -1, -1, -1, 5, -1, -1, -1, 9, -1, -1, -1, 13, -1, -1, -1);
    return _mm256_cvtepi32_ps(_mm256_shuffle_epi8(t, pick));
}
inline __m256 redOf(__m256i t) { return _mm256_cvtepi32_ps(_mm256_srli_epi32(t, 16)); }

// Texels (u, v), (u + 1, v), (u, v + 1) and (u + 1, v + 1) of eight pixels, each row's
// neighbours fetched together as one 64-bit pair.
ALWAYS_INLINE void fetchTexelPairs(const Texture& texture, __m256i index, __m256i& t00, __m256i& t10,
                                   __m256i& t01, __m256i& t11) {
    alignas(32) uint32_t at[kLanes];  // unsigned: no sign extension per address
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
    const uint32_t* texels = texture.texels;
    const auto pair = [&](int k, int offset) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(texels + at[k] + offset));
    };
    // Pixels k, k + 1 in the low half and k + 4, k + 5 in the high half, so that picking the
    // even or odd dwords of two such vectors leaves the pixels in order.
    const auto four = [&](int k, int offset) {
        const __m128i low = _mm_unpacklo_epi64(pair(k, offset), pair(k + 1, offset));
        const __m128i high = _mm_unpacklo_epi64(pair(k + 4, offset), pair(k + 5, offset));
        return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    };
    const __m256i top0 = four(0, 0), top1 = four(2, 0);
    const __m256i bottom0 = four(0, kTextureSide), bottom1 = four(2, kTextureSide);
    // Even dwords are the left texels, odd the right.
    const auto split = [&](__m256i a, __m256i b, int selector) {
        return _mm256_castps_si256(
            selector == 0 ? _mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), 0x88)
                          : _mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), 0xDD));
    };
    t00 = split(top0, top1, 0);
    t10 = split(top0, top1, 1);
    t01 = split(bottom0, bottom1, 0);
    t11 = split(bottom0, bottom1, 1);
}

// Light times the bilinear texel, rounded to even, shifted right by 8 and saturated, for
// each of N blocks.
template <bool general, int N>
ALWAYS_INLINE void shadePixels(const PixelBlock (&blocks)[N], const __m256 (&lights)[N][3],
                               const Texture& texture, __m256i (&out)[N]) {
    __m256 w00[N], w10[N], w01[N], w11[N];
    __m256i t00[N], t10[N], t01[N], t11[N];
    const __m256 ceiling = _mm256_set1_ps(static_cast<float>(kTexelCeiling));
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256i zeroIndex = _mm256_setzero_si256();
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) {
        const PixelBlock& p = blocks[n];
        const __m256 u = _mm256_min_ps(p.u, ceiling), v = _mm256_min_ps(p.v, ceiling);
        const __m256i iu = _mm256_cvttps_epi32(u), iv = _mm256_cvttps_epi32(v);
        const __m256 fu = _mm256_sub_ps(u, _mm256_cvtepi32_ps(iu)),
                     fv = _mm256_sub_ps(v, _mm256_cvtepi32_ps(iv));
        // Neither index exceeds 124: the float minimum came first and maps NaN to 124 too.
        const __m256i column = _mm256_max_epi32(iu, zeroIndex), row = _mm256_max_epi32(iv, zeroIndex);
        const __m256i index = _mm256_add_epi32(_mm256_slli_epi32(row, 7), column);
        const __m256 restU = _mm256_sub_ps(one, fu), restV = _mm256_sub_ps(one, fv);
        w00[n] = mul(restU, restV);
        w10[n] = mul(fu, restV);
        w01[n] = mul(restU, fv);
        w11[n] = mul(fu, fv);
        fetchTexelPairs(texture, index, t00[n], t10[n], t01[n], t11[n]);
    }
    const __m256i byPixel = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,  //
                                             0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) {
        const __m256 texel[3] = {
            add(add(mul(blueOf(t00[n]), w00[n]), mul(blueOf(t10[n]), w10[n])),
                add(mul(blueOf(t01[n]), w01[n]), mul(blueOf(t11[n]), w11[n]))),
            add(add(mul(greenOf(t00[n]), w00[n]), mul(greenOf(t10[n]), w10[n])),
                add(mul(greenOf(t01[n]), w01[n]), mul(greenOf(t11[n]), w11[n]))),
            add(add(mul(redOf(t00[n]), w00[n]), mul(redOf(t10[n]), w10[n])),
                add(mul(redOf(t01[n]), w01[n]), mul(redOf(t11[n]), w11[n]))),
        };
        const auto scaled = [&](int c) {
            return _mm256_srli_epi32(_mm256_cvtps_epi32(mul(lights[n][c], texel[c])), 8);
        };
        // The fourth channel is a sum of 0 x weight: NaN exactly where a weight is not finite,
        // which only the general path allows.
        __m256i alpha = _mm256_setzero_si256();
        if (general) {
            const __m256 zero = _mm256_setzero_ps();
            const __m256 sum =
                add(add(mul(zero, w00[n]), mul(zero, w10[n])), add(mul(zero, w01[n]), mul(zero, w11[n])));
            alpha = _mm256_srli_epi32(_mm256_cvtps_epi32(mul(zero, sum)), 8);
        }
        // Saturated through 16 and then 8 bits as in the one-pixel routine; within each 128-bit
        // half the bytes come out channel by channel and are then gathered pixel by pixel.
        const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(scaled(0), scaled(1)),
                                                  _mm256_packs_epi32(scaled(2), alpha));
        out[n] = _mm256_shuffle_epi8(bytes, byPixel);
    }
}

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
    const __m128 c = _mm_load_ps(color.lane);
    const __m128 inRange =
        _mm_and_ps(_mm_cmpge_ps(c, _mm_setzero_ps()), _mm_cmplt_ps(c, _mm_set1_ps(INFINITY)));
    return (_mm_movemask_ps(inRange) & 0x7) == 0x7;
}

bool lightNeedsGeneralPath(const Light& light) {
    return light.direction.lane[3] != 0.0f || !isFiniteAndNotNegative(light.diffuse) ||
           !isFiniteAndNotNegative(light.specular);
}

// The general path honours a fourth normal or light lane that is not zero, light colours
// that are negative or not finite, and texture coordinates that make bilinear weights
// infinite; every other span takes the short cuts.
bool needsGeneralPath(const SpanSetup& span, const Light* lights) {
    alignas(16) float normal[4], normalStep[4];
    _mm_store_ps(normal, span.normal);
    _mm_store_ps(normalStep, span.normalStep);
    bool general = false;
    for (int i = 0; i < kLightCount; ++i) general = general || lightNeedsGeneralPath(lights[i]);
    return general || normal[3] != 0.0f || normalStep[3] != 0.0f ||
           !staysWithin(span, 0, kFiniteWeightBound) || !staysWithin(span, 1, kFiniteWeightBound);
}

// Each depth a span's walk steps to lies within `slack` of first + k x step however its k
// additions rounded: each is off by at most 2^-24 of its result. So the rest of a span can be
// found certainly hidden, and left, without stepping through it.
struct DepthEstimate {
    __m256 first, step, slack;
};

DepthEstimate estimateDepths(const SpanSetup& span) {
    alignas(16) float start[4], step[4];
    _mm_store_ps(start, span.attributes);
    _mm_store_ps(step, span.attributeStep);
    // Twice what any depth of the span can reach; infinite or NaN where the depths are, and
    // then nothing is found certainly hidden.
    const float largest = 2.0f * (std::fabs(start[2]) + float(span.count) * std::fabs(step[2]));
    // The walk's additions, then the estimate's multiplication, addition and subtraction,
    // with four times the room they need; FLT_MIN covers what rounds below the normal range.
    const float slack = float(span.count + 8) * 0x1p-22f * largest + FLT_MIN;
    return {_mm256_set1_ps(start[2]), _mm256_set1_ps(step[2]), _mm256_set1_ps(slack)};
}

// The pixels of a span, stepped one at a time exactly as the one-pixel routine steps them,
// and the depths already in the buffer beside them. The block after a visible one can be
// stepped ahead, while the visible one is shaded.
struct SpanWalk {
    __m256 current;
    __m256 step;
    const float* depth;
    uint8_t* faces;  // the span's part of the face buffer, or null
    uint8_t face;
    int count;
    int done;
    bool aheadReady;
    SteppedPixels ahead;  // the next block's pixels when aheadReady
    DepthEstimate depths;
    int unhiddenAt;  // the first block from which the rest may not be hidden, as last found
};

// Eight pixels, each one step after the one before.
ALWAYS_INLINE void stepBlock(SpanWalk& walk, SteppedPixels& stepped) {
#pragma GCC unroll 8
    for (__m256& p : stepped.pixel) {
        p = walk.current;
        walk.current = add(walk.current, walk.step);
    }
}

// One block of the walk: its pixels, the depths stored under them and the lanes in the span
// whose depth is nearer.
struct VisibleBlock {
    SteppedPixels stepped;
    __m256 stored, z, nearer;
    int remaining;
};

// The lanes of `level`, pixels whose depth equals the one stored, that this face takes. In
// the scene's order the face drawn first keeps such a pixel; out of order, this face takes it
// where the face that stored the depth comes after it in the scene. A clear depth was stored
// by no face. Rare: out of line, with nothing but integers and addresses passed, so that the
// walk keeps its vectors in registers.
[[gnu::noinline, gnu::cold]] int levelPixelsWon(const uint8_t* faces, const float* depths, uint8_t face,
                                                int level) {
    int won = 0;
    for (int lane = 0; lane < kLanes; ++lane) {
        if ((level >> lane & 1) != 0 && depths[lane] != kClearDepth && faces[lane] > face) won |= 1 << lane;
    }
    return won;
}

// Lanes set where the bits of an eight-bit mask are.
inline __m256 lanesOf(int mask) {
    const __m256i bits = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    return _mm256_castsi256_ps(_mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(mask), bits), bits));
}

// The lanes of a block that lie in the span, when only `remaining` pixels of it do.
inline __m256i lanesInSpan(int remaining) {
    return _mm256_cmpgt_epi32(_mm256_set1_epi32(remaining), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

// Steps the walk's block at `done` (or takes it stepped ahead) and compares its depths with
// those stored; true when a pixel of it is nearer or level, which `nearer` then marks.
ALWAYS_INLINE bool reachBlock(SpanWalk& walk, VisibleBlock& block) {
    if (walk.aheadReady) {
        block.stepped = walk.ahead;
        walk.aheadReady = false;
    } else {
        stepBlock(walk, block.stepped);
    }
    block.remaining = walk.count - walk.done;
    const float* depth = walk.depth + walk.done;
    block.z = block.stepped.depths();
    if (block.remaining >= kLanes) {
        block.stored = _mm256_loadu_ps(depth);
        block.nearer = _mm256_cmp_ps(block.z, block.stored, _CMP_LE_OQ);
    } else {
        const __m256i inSpan = lanesInSpan(block.remaining);
        block.stored = _mm256_maskload_ps(depth, inSpan);
        block.nearer =
            _mm256_and_ps(_mm256_cmp_ps(block.z, block.stored, _CMP_LE_OQ), _mm256_castsi256_ps(inSpan));
    }
    return _mm256_movemask_ps(block.nearer) != 0;
}

// Of a reached block's nearer or level pixels keeps the nearer ones and the level ones this
// face wins; true when any is left.
ALWAYS_INLINE bool settleBlock(const SpanWalk& walk, VisibleBlock& block) {
    const int reached = _mm256_movemask_ps(block.nearer);
    block.nearer = _mm256_and_ps(block.nearer, _mm256_cmp_ps(block.z, block.stored, _CMP_LT_OQ));
    const int level = reached & ~_mm256_movemask_ps(block.nearer);
    if (level != 0 && walk.faces != nullptr) [[unlikely]] {
        const int won = levelPixelsWon(walk.faces + walk.done, walk.depth + walk.done, walk.face, level);
        block.nearer = _mm256_or_ps(block.nearer, lanesOf(won));
    }
    return _mm256_movemask_ps(block.nearer) != 0;
}

// Steps and tests the walk's block at `done`; true when a pixel of it is to be drawn.
ALWAYS_INLINE bool testBlock(SpanWalk& walk, VisibleBlock& block) {
    return reachBlock(walk, block) && settleBlock(walk, block);
}

// Bytes of a 64-bit word set where the bits of an eight-bit lane mask are.
constexpr auto kByteLanes = [] {
    std::array<uint64_t, 256> table{};
    for (int mask = 0; mask < 256; ++mask) {
        for (int lane = 0; lane < kLanes; ++lane) {
            if ((mask >> lane & 1) != 0) table[mask] |= uint64_t{0xFF} << (8 * lane);
        }
    }
    return table;
}();

// Marks the block's nearer pixels as drawn by `face`.
ALWAYS_INLINE void storeFace(uint8_t* faces, uint8_t face, const VisibleBlock& block) {
    const int nearer = _mm256_movemask_ps(block.nearer);
    if (block.remaining >= kLanes) {
        uint64_t word;
        std::memcpy(&word, faces, sizeof word);
        const uint64_t lanes = kByteLanes[nearer];
        word = (word & ~lanes) | (uint64_t{face} * 0x0101010101010101u & lanes);
        std::memcpy(faces, &word, sizeof word);
    } else {
        for (int lane = 0; lane < block.remaining; ++lane) {
            if ((nearer >> lane & 1) != 0) faces[lane] = face;
        }
    }
}

// The first block from `done` on with a pixel that may not be behind the depth stored there,
// by the estimate; `count` when there is none.
ALWAYS_INLINE int firstUnhiddenBlock(const SpanWalk& walk) {
    const __m256 laneOffset = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    for (int at = walk.done; at < walk.count; at += kLanes) {
        const __m256 pixel = add(_mm256_set1_ps(static_cast<float>(at)), laneOffset);
        const __m256 lowest =
            _mm256_sub_ps(add(walk.depths.first, mul(pixel, walk.depths.step)), walk.depths.slack);
        const int remaining = walk.count - at;
        int behind;
        if (remaining >= kLanes) {
            behind = _mm256_movemask_ps(_mm256_cmp_ps(lowest, _mm256_loadu_ps(walk.depth + at), _CMP_GT_OQ));
        } else {
            const __m256i inSpan = lanesInSpan(remaining);
            const __m256 stored = _mm256_maskload_ps(walk.depth + at, inSpan);
            behind = _mm256_movemask_ps(_mm256_cmp_ps(lowest, stored, _CMP_GT_OQ)) | (0xFF << remaining);
        }
        if ((behind & 0xFF) != 0xFF) return at;
    }
    return walk.count;
}

// Steps past hidden blocks to the next block with a pixel to draw; false at the end of the
// span. Hidden blocks take the inner loop on their own, which keeps the stepped values in
// registers; at the start of each hidden stretch the estimate may end the span there.
ALWAYS_INLINE bool findVisibleBlock(SpanWalk& walk, VisibleBlock& block) {
    if (walk.done >= walk.count) return false;
    for (;;) {
        while (!reachBlock(walk, block)) {
            walk.done += kLanes;
            if (walk.done >= walk.count) return false;
            if (walk.done > walk.unhiddenAt) {
                walk.unhiddenAt = firstUnhiddenBlock(walk);
                if (walk.unhiddenAt >= walk.count) return false;
            }
        }
        if (settleBlock(walk, block)) return true;
        walk.done += kLanes;
        if (walk.done >= walk.count) return false;
    }
}

// Lights and textures N blocks' nearer pixels and stores them with their depths (and faces).
template <bool general, Estimate estimate, int N>
inline void shadeBlocks(const VisibleBlock (&visible)[kMaxBlocks], const int (&at)[kMaxBlocks],
                        uint32_t* color, float* depth, uint8_t* faces, uint8_t face,
                        const LightLanes (&lights)[kLightCount], const RasterTarget& target) {
    PixelBlock blocks[N];
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) blocks[n] = visible[n].stepped.transpose<general>(visible[n].z);
    __m256 light[N][3];
    __m256i shaded[N];
    // Unlit off the general path, a block's texels are finite, so every channel is
    // 0 x texel = 0.
    if (lightBlock<general, estimate, N>(blocks, lights, *target.approx, light)) {
        shadePixels<general, N>(blocks, light, *target.texture, shaded);
    } else {
#pragma GCC unroll kMaxBlocks
        for (__m256i& s : shaded) s = _mm256_setzero_si256();
    }
#pragma GCC unroll kMaxBlocks
    for (int n = 0; n < N; ++n) {
        // Masked stores are slow; a whole block is blended and stored instead.
        auto* colorBlock = reinterpret_cast<__m256i*>(color + at[n]);
        const __m256 nearer = visible[n].nearer;
        if (visible[n].remaining >= kLanes) {
            _mm256_storeu_ps(depth + at[n], _mm256_blendv_ps(visible[n].stored, visible[n].z, nearer));
            _mm256_storeu_si256(colorBlock, _mm256_blendv_epi8(_mm256_loadu_si256(colorBlock), shaded[n],
                                                               _mm256_castps_si256(nearer)));
        } else {
            _mm256_maskstore_ps(depth + at[n], _mm256_castps_si256(nearer), visible[n].z);
            _mm256_maskstore_epi32(reinterpret_cast<int*>(colorBlock), _mm256_castps_si256(nearer),
                                   shaded[n]);
        }
        if (faces != nullptr) storeFace(faces + at[n], face, visible[n]);
    }
}

template <bool general, Estimate estimate>
void shadeSpan(const SpanSetup& span, const RasterTarget& target) {
    // Broadcast once the first pixel is visible: hidden spans never need them.
    LightLanes lights[kLightCount];
    bool lightsReady = false;
    uint32_t* color = target.colorBuffer + span.first;
    float* depth = target.depthBuffer + span.first;
    SpanWalk walk;
    walk.current = _mm256_set_m128(span.normal, span.attributes);
    walk.step = _mm256_set_m128(span.normalStep, span.attributeStep);
    walk.depth = depth;
    walk.faces = target.faceBuffer == nullptr ? nullptr : target.faceBuffer + span.first;
    walk.face = target.face;
    walk.count = span.count;
    walk.done = 0;
    walk.aheadReady = false;
    walk.depths = estimateDepths(span);
    walk.unhiddenAt = -1;
    VisibleBlock visible[kMaxBlocks];
    int at[kMaxBlocks];
    while (findVisibleBlock(walk, visible[0])) {
        at[0] = walk.done;
        walk.done += kLanes;
        // A visible block and the one after it, if that is visible too, are shaded together.
        bool pair = false;
        if (walk.done < walk.count) {
            pair = testBlock(walk, visible[1]);
            at[1] = walk.done;
            walk.done += kLanes;
        }
        // The next block's chain of additions then runs beside the shading rather than after it.
        if (walk.done < walk.count) {
            stepBlock(walk, walk.ahead);
            walk.aheadReady = true;
        }
        if (!lightsReady) {
            broadcastLights(target.lights, lights);
            lightsReady = true;
        }
        if (pair) {
            shadeBlocks<general, estimate, 2>(visible, at, color, depth, walk.faces, walk.face, lights,
                                              target);
        } else {
            shadeBlocks<general, estimate, 1>(visible, at, color, depth, walk.faces, walk.face, lights,
                                              target);
        }
    }
}

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
