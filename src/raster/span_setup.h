#pragma once

#include "numeric/simd.h"
#include "raster/raster_types.h"

namespace quorvel {

// A span clipped to its band, ready to shade from `first` for `count` pixels.
struct SpanSetup {
    int first;  // pixel index of the first column, the same in both buffers
    int count;
    __m128 attributes;
    __m128 attributeStep;
    __m128 normal;
    __m128 normalStep;
};

// Orders and clips the two ends. Steps come from the unclipped ends; the left clip is one
// multiply and one add, which may differ in the last bits from stepping pixel by pixel.
// Returns false when nothing of the span lies in the band.
inline bool setUpSpan(int row, const SpanEnd& endA, const SpanEnd& endB, const PixelRect& band, int rowPitch,
                      SpanSetup& span) {
    if (row < band.top || row >= band.bottom) return false;
    if (endA.x == endB.x) return false;
    const SpanEnd& left = endA.x > endB.x ? endB : endA;
    const SpanEnd& right = endA.x > endB.x ? endA : endB;
    int x0 = left.x;
    int x1 = right.x;
    if (x0 >= band.right || x1 <= band.left) return false;

    const __m128 dx = _mm_set1_ps(static_cast<float>(x1 - x0));
    const __m128 attributes0 = _mm_load_ps(left.attributes.lane);
    const __m128 normal0 = _mm_load_ps(left.normal.lane);
    span.attributeStep = _mm_div_ps(_mm_sub_ps(_mm_load_ps(right.attributes.lane), attributes0), dx);
    span.normalStep = _mm_div_ps(_mm_sub_ps(_mm_load_ps(right.normal.lane), normal0), dx);
    span.attributes = attributes0;
    span.normal = normal0;
    if (x0 < band.left) {
        const __m128 skipped = _mm_set1_ps(static_cast<float>(band.left - x0));
        span.attributes = _mm_add_ps(attributes0, _mm_mul_ps(span.attributeStep, skipped));
        span.normal = _mm_add_ps(normal0, _mm_mul_ps(span.normalStep, skipped));
        x0 = band.left;
    }
    if (x1 >= band.right) x1 = band.right;
    span.first = row * rowPitch + x0;
    span.count = x1 - x0;
    return true;
}

}  // namespace quorvel
