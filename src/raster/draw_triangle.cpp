#include "raster/draw_triangle.h"

#include <algorithm>
#include <utility>

#include "numeric/simd.h"
#if QUORVEL_CHECK_SPAN_WRITES
#include "raster/span_write_check.h"
#endif

namespace quorvel {
namespace {

constexpr int kFractionBits = 10;

struct EdgeStep {
    int x;  // 22.10 fixed point per row
    __m128 attributes;
    __m128 normal;
};

struct Edge {
    int x;  // 22.10 fixed point
    __m128 attributes;
    __m128 normal;
};

inline __m128 attributesOf(const TriangleVertex& vertex) {
    return _mm_setr_ps(static_cast<float>(vertex.u), static_cast<float>(vertex.v), vertex.depth, 0.0f);
}

EdgeStep stepBetween(const TriangleVertex& p, const TriangleVertex& q) {
    const int dy = q.point.y - p.point.y;
    if (dy == 0) return {0, _mm_setzero_ps(), _mm_setzero_ps()};
    // The x difference is taken in 32 bits: in 16 bits it would wrap for vertices more
    // than 32767 pixels apart and send the edge the wrong way.
    const int xStep = (q.point.x - p.point.x) * (1 << kFractionBits) / dy;
    const __m128 rows = _mm_set1_ps(static_cast<float>(dy));
    return {xStep, _mm_div_ps(_mm_sub_ps(attributesOf(q), attributesOf(p)), rows),
            _mm_div_ps(_mm_sub_ps(_mm_load_ps(q.normal.lane), _mm_load_ps(p.normal.lane)), rows)};
}

inline Edge startAt(const TriangleVertex& vertex) {
    return {vertex.point.x * (1 << kFractionBits), attributesOf(vertex), _mm_load_ps(vertex.normal.lane)};
}

inline void advance(Edge& edge, const EdgeStep& step) {
    edge.x += step.x;
    edge.attributes = _mm_add_ps(edge.attributes, step.attributes);
    edge.normal = _mm_add_ps(edge.normal, step.normal);
}

inline SpanEnd spanEnd(const Edge& edge) {
    SpanEnd end;
    end.x = edge.x >> kFractionBits;  // arithmetic: floor
    _mm_store_ps(end.attributes.lane, edge.attributes);
    _mm_store_ps(end.normal.lane, edge.normal);
    return end;
}

// Walks rows [first, last) between the long and the short edge. Rows above the band only
// step the edges: each row's ends come from adding the steps row by row from the top
// vertex, whichever band draws the row.
void walkRows(int first, int last, Edge& longEdge, const EdgeStep& longStep, Edge& shortEdge,
              const EdgeStep& shortStep, const RasterTarget& target) {
    const int firstInBand = std::clamp(target.band.top, first, std::max(first, last));
    // Stepped in locals, which stay in registers: through the references every row would
    // wait on a store and a load.
    Edge longSkipped = longEdge, shortSkipped = shortEdge;
    for (int row = first; row < firstInBand; ++row) {
        advance(longSkipped, longStep);
        advance(shortSkipped, shortStep);
    }
    longEdge = longSkipped;
    shortEdge = shortSkipped;
    for (int row = firstInBand; row < last; ++row) {
        const SpanEnd endA = spanEnd(longEdge), endB = spanEnd(shortEdge);
        if (target.drawn) recordSpan(*target.drawn, target.band, row, endA.x, endB.x);
#if QUORVEL_CHECK_SPAN_WRITES
        const SpanSurroundings before =
            surroundingsOf(row, spanColumns(target.band, row, endA.x, endB.x), target);
        target.spanRoutine(row, endA, endB, target);
        checkSpanStayedInside(before, target);
#else
        target.spanRoutine(row, endA, endB, target);
#endif
        advance(longEdge, longStep);
        advance(shortEdge, shortStep);
    }
}

}  // namespace

void drawTriangle(const TriangleVertex& vertex0, const TriangleVertex& vertex1, const TriangleVertex& vertex2,
                  const RasterTarget& target) {
    // Sort by row; equal rows never swap, so same-row vertices keep their slot order.
    const TriangleVertex* a = &vertex0;
    const TriangleVertex* b = &vertex1;
    const TriangleVertex* c = &vertex2;
    for (;;) {
        if (a->point.y > b->point.y) std::swap(a, b);
        if (b->point.y <= c->point.y) break;
        std::swap(b, c);
    }

    // Skip only a triangle that cannot touch the band: its rows are a.y..c.y-1 and its
    // spans never leave the columns between its smallest and largest vertex x.
    const PixelRect& band = target.band;
    const int lowestX = std::min({a->point.x, b->point.x, c->point.x});
    const int highestX = std::max({a->point.x, b->point.x, c->point.x});
    if (c->point.y <= band.top || a->point.y >= band.bottom || highestX <= band.left ||
        lowestX >= band.right) {
        return;
    }

    const EdgeStep stepAB = stepBetween(*a, *b);
    const EdgeStep stepAC = stepBetween(*a, *c);
    const EdgeStep stepBC = stepBetween(*b, *c);

    // Rows from the band's bottom on are never drawn, so the walk stops there.
    const int bottom = band.bottom;
    Edge longEdge = startAt(*a);
    Edge shortEdge = longEdge;
    walkRows(a->point.y, std::min<int>(b->point.y, bottom), longEdge, stepAC, shortEdge, stepAB, target);
    if (b->point.y >= bottom) return;
    shortEdge = startAt(*b);
    walkRows(b->point.y, std::min<int>(c->point.y, bottom), longEdge, stepAC, shortEdge, stepBC, target);
}

}  // namespace quorvel
