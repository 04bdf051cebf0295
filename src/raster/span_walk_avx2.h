#pragma once

// The walk along a span for drawSpanAvx2: its pixels stepped eight at a time, each exactly as
// the reference's loop steps it, and each block's depths compared with those stored (the
// reference's `z < depth[i]`), until the next block with a pixel to draw. Built for AVX2 (see
// pixel_block_avx2.h); invariants cited by number are listed at the top of draw_span_avx2.cpp.

#include <immintrin.h>

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "raster/face_order_avx2.h"
#include "raster/pixel_block_avx2.h"
#include "raster/raster_types.h"
#include "raster/span_setup.h"

#pragma GCC push_options
#pragma GCC target("avx2")

namespace quorvel {
namespace {

// Each depth a span's walk steps to lies within `slack` of first + k x step however its k
// additions rounded: each is off by at most 2^-24 of its result (invariant 11). So the rest of
// a span can be found certainly hidden, and left, without stepping through it.
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

// Where a span's walk stands. Every block before `done`, a multiple of kLanes, has been
// reached: stepped, and its depths compared with those stored. Depths are stored only in
// reached blocks, so from `done` on the depth buffer holds what the span found there.
// - `next` is the first pixel not yet stepped, as the reference steps it: pixel `done`, or
//   pixel done + kLanes once the block at `done` is stepped, either by reaching it (whose
//   caller then moves `done` past it) or ahead of its turn.
// - `ahead` holds the block at `done` while `aheadReady`.
// - `unhiddenAt` is the first block from which, by the last estimate, the rest of the span may
//   not be hidden, so any block from `done` up to it is certainly hidden; -1 before any
//   estimate.
struct WalkState {
    __m256 next;
    int done;
    bool aheadReady;
    SteppedPixels ahead;
    int unhiddenAt;
};

// The pixels of a span and the depths (and faces) stored beside them: what the walk reads,
// fixed for the span, and where it stands.
struct SpanWalk {
    __m256 step;         // (attribute step | normal step), as SteppedPixels holds a pixel
    const float* depth;  // the span's part of the depth buffer
    uint8_t* faces;      // the span's part of the face buffer, or null
    uint8_t face;
    int count;
    DepthEstimate depths;
    WalkState state;
};

// Eight pixels from `next` on, each one step after the one before.
[[gnu::always_inline]] inline void stepBlock(SpanWalk& walk, SteppedPixels& stepped) {
#pragma GCC unroll 8
    for (__m256& p : stepped.pixel) {
        p = walk.state.next;
        walk.state.next = add(walk.state.next, walk.step);
    }
}

// A block of the walk: its pixels, the depths stored under them and the lanes in the span
// whose depth is nearer.
struct ReachedBlock {
    SteppedPixels stepped;
    UpperLanes upper;  // the transpose's first step, kept for the rest of it
    __m256 stored, z, nearer;
    int remaining;  // pixels of the span from the block's first one on; lanes past them lie outside it
};

// The lanes of a block that lie in the span, when only `remaining` pixels of it do.
inline __m256i lanesInSpan(int remaining) {
    return _mm256_cmpgt_epi32(_mm256_set1_epi32(remaining), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
}

// Reaches the block at `done`, stepped now or taken from `ahead`, comparing its depths with
// those stored: true when a pixel of it is nearer or level, which `nearer` then marks.
[[gnu::always_inline]] inline bool reachBlock(SpanWalk& walk, ReachedBlock& block) {
    if (walk.state.aheadReady) {
        block.stepped = walk.state.ahead;
        walk.state.aheadReady = false;
    } else {
        stepBlock(walk, block.stepped);
    }
    block.remaining = walk.count - walk.state.done;
    const float* depth = walk.depth + walk.state.done;
    block.z = depthsOf(block.stepped, block.upper);
    if (block.remaining >= kLanes) {
        block.stored = _mm256_loadu_ps(depth);
        block.nearer = _mm256_cmp_ps(block.z, block.stored, _CMP_LE_OQ);
    } else {
        const __m256i inSpan = lanesInSpan(block.remaining);
        block.stored = loadLanes(depth, inSpan);
        block.nearer =
            _mm256_and_ps(_mm256_cmp_ps(block.z, block.stored, _CMP_LE_OQ), _mm256_castsi256_ps(inSpan));
    }
    return _mm256_movemask_ps(block.nearer) != 0;
}

// Of the reached block's nearer or level pixels keeps the nearer ones and the level ones this
// face wins; true when any is left.
[[gnu::always_inline]] inline bool settleBlock(const SpanWalk& walk, ReachedBlock& block) {
    const int reached = _mm256_movemask_ps(block.nearer);
    block.nearer = _mm256_and_ps(block.nearer, _mm256_cmp_ps(block.z, block.stored, _CMP_LT_OQ));
    const int level = reached & ~_mm256_movemask_ps(block.nearer);
    if (level != 0 && walk.faces != nullptr) [[unlikely]] {
        const int won =
            levelPixelsWon(walk.faces + walk.state.done, walk.depth + walk.state.done, walk.face, level);
        block.nearer = _mm256_or_ps(block.nearer, lanesOf(won));
    }
    return _mm256_movemask_ps(block.nearer) != 0;
}

// Reaches and settles the block at `done`; true when a pixel of it is to be drawn.
[[gnu::always_inline]] inline bool testBlock(SpanWalk& walk, ReachedBlock& block) {
    return reachBlock(walk, block) && settleBlock(walk, block);
}

// The first block from `done` on with a pixel that may not be behind the depth stored there,
// by the estimate; `count` when there is none.
[[gnu::always_inline]] inline int firstUnhiddenBlock(const SpanWalk& walk) {
    constexpr int kEveryLane = (1 << kLanes) - 1;
    const __m256 laneOffset = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    for (int at = walk.state.done; at < walk.count; at += kLanes) {
        const __m256 pixel = add(_mm256_set1_ps(static_cast<float>(at)), laneOffset);
        const __m256 lowest =
            _mm256_sub_ps(add(walk.depths.first, mul(pixel, walk.depths.step)), walk.depths.slack);
        const int remaining = walk.count - at;
        int behind;
        if (remaining >= kLanes) {
            behind = _mm256_movemask_ps(_mm256_cmp_ps(lowest, _mm256_loadu_ps(walk.depth + at), _CMP_GT_OQ));
        } else {
            const __m256i inSpan = lanesInSpan(remaining);
            const __m256 stored = loadLanes(walk.depth + at, inSpan);
            behind =
                _mm256_movemask_ps(_mm256_cmp_ps(lowest, stored, _CMP_GT_OQ)) | (kEveryLane << remaining);
        }
        if ((behind & kEveryLane) != kEveryLane) return at;
    }
    return walk.count;
}

// Moves past hidden blocks to the next block with a pixel to draw, reached and settled in
// `block`, `done` left at it; false at the end of the span. Hidden blocks take the inner loop
// on their own, which keeps the stepped values in registers; at the start of each hidden
// stretch the estimate may end the span there.
[[gnu::always_inline]] inline bool findVisibleBlock(SpanWalk& walk, ReachedBlock& block) {
    if (walk.state.done >= walk.count) return false;
    for (;;) {
        while (!reachBlock(walk, block)) {
            walk.state.done += kLanes;
            if (walk.state.done >= walk.count) return false;
            if (walk.state.done > walk.state.unhiddenAt) {
                walk.state.unhiddenAt = firstUnhiddenBlock(walk);
                if (walk.state.unhiddenAt >= walk.count) return false;
            }
        }
        if (settleBlock(walk, block)) return true;
        walk.state.done += kLanes;
        if (walk.state.done >= walk.count) return false;
    }
}

}  // namespace
}  // namespace quorvel

#pragma GCC pop_options
