#include "raster/draw_triangle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>

#include "raster/draw_span_reference.h"
#include "raster_canvas.h"

namespace quorvel {
namespace {

// Columns drawn per row, first..last inclusive, as the span routine is handed them.
std::map<int, std::pair<int, int>> recorded;

void noteSpanColumns(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget&) {
    if (endA.x != endB.x) recorded[row] = {std::min(endA.x, endB.x), std::max(endA.x, endB.x) - 1};
}

std::map<int, std::pair<int, int>> columnsOf(TriangleVertex a, TriangleVertex b, TriangleVertex c) {
    RasterCanvas canvas(64, 64);
    recorded.clear();
    drawTriangle(a, b, c, canvas.whole(noteSpanColumns));
    return recorded;
}

TEST(DrawTriangle, WalksTheWorkedExampleRowByRow) {
    const auto columns = columnsOf(vertexAt(10, 0), vertexAt(0, 4), vertexAt(20, 8));
    const std::map<int, std::pair<int, int>> expected = {
        {1, {7, 10}}, {2, {5, 11}}, {3, {2, 12}}, {4, {0, 14}}, {5, {5, 15}}, {6, {10, 16}}, {7, {15, 17}}};
    EXPECT_EQ(columns, expected);
}

TEST(DrawTriangle, FlatTopStartsOnItsFirstRow) {
    const auto columns = columnsOf(vertexAt(0, 0), vertexAt(8, 0), vertexAt(4, 4));
    const std::map<int, std::pair<int, int>> expected = {{0, {0, 7}}, {1, {1, 6}}, {2, {2, 5}}, {3, {3, 4}}};
    EXPECT_EQ(columns, expected);
}

TEST(DrawTriangle, DrawsNothingForThreeVerticesOnOneRow) {
    EXPECT_TRUE(columnsOf(vertexAt(0, 5), vertexAt(30, 5), vertexAt(12, 5)).empty());
}

TEST(DrawTriangle, SlotOrderDoesNotChangeThePixels) {
    const std::array<TriangleVertex, 3> triangles[] = {
        {vertexAt(10, 3, 5.0f, {{0.2f, 0.1f, 0.9f, 0}}, 64, 0),
         vertexAt(50, 20, 9.0f, {{-0.3f, 0.5f, 0.7f, 0}}, 0, 127),
         vertexAt(5, 40, 2.0f, {{0.6f, -0.2f, 0.6f, 0}}, 127, 127)},
        {vertexAt(0, 10, 5.0f, {{0.2f, 0.1f, 0.9f, 0}}, 64, 0),
         vertexAt(40, 10, 7.0f, {{0, 0, 1, 0}}, 0, 127),
         vertexAt(20, 45, 1.0f, {{0.5f, 0.5f, 0.5f, 0}}, 127, 127)},
    };
    for (const auto& triangle : triangles) {
        RasterCanvas reference(64, 64);
        drawTriangle(triangle[0], triangle[1], triangle[2], reference.whole(drawSpanReference));
        std::array<int, 3> order = {0, 1, 2};
        while (std::next_permutation(order.begin(), order.end())) {
            RasterCanvas canvas(64, 64);
            drawTriangle(triangle[order[0]], triangle[order[1]], triangle[order[2]],
                         canvas.whole(drawSpanReference));
            EXPECT_EQ(canvas.color, reference.color);
            EXPECT_EQ(canvas.depth, reference.depth);
        }
    }
}

TEST(DrawTriangle, FillsABandItsVerticesAllLieOutside) {
    // Every vertex is outside the band rows 20..39 and columns 20..59 on both axes, yet
    // the triangle covers the whole band.
    RasterCanvas canvas(80, 60);
    drawTriangle(vertexAt(-300, -200), vertexAt(400, -150), vertexAt(10, 500),
                 canvas.target({20, 40, 20, 60}, drawSpanReference));
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 80; ++x) {
            const bool inBand = y >= 20 && y < 40 && x >= 20 && x < 60;
            EXPECT_EQ(canvas.depthAt(x, y) == 10.0f, inBand) << x << "," << y;
        }
    }
}

TEST(DrawTriangle, AVertexColumnInsideDoesNotDrawOutsideTheBandRows) {
    RasterCanvas canvas(40, 40);
    drawTriangle(vertexAt(5, 0), vertexAt(30, 2), vertexAt(15, 9),
                 canvas.target({10, 20, 0, 40}, drawSpanReference));
    EXPECT_TRUE(
        std::all_of(canvas.depth.begin(), canvas.depth.end(), [](float d) { return d == kClearDepth; }));
}

// Ordinary, huge, off-screen and degenerate triangles never touch a pixel outside the band.
TEST(DrawTriangle, NeverWritesOutsideTheBand) {
    std::mt19937 random(20261208);
    const auto coordinate = [&](int kind) {
        switch (kind) {
            case 0:
                return int(random() % 120) - 20;
            case 1:
                return int(random() % 65536) - 32768;
            default:
                return int(random() % 8) + 40;
        }
    };
    RasterCanvas canvas(100, 80);
    const PixelRect band = {30, 50, 10, 90};
    for (int i = 0; i < 3000; ++i) {
        const int kind = int(random() % 3);
        TriangleVertex corners[3];
        for (TriangleVertex& corner : corners) {
            corner =
                vertexAt(coordinate(kind), coordinate(kind), float(random() % 2000) / 100.0f,
                         {{0.3f, -0.4f, 0.8f, 0.0f}}, uint16_t(random() % 128), uint16_t(random() % 128));
        }
        drawTriangle(corners[0], corners[1], corners[2], canvas.target(band, drawSpanReference));
    }
    int inside = 0;
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            const bool inBand = y >= band.top && y < band.bottom && x >= band.left && x < band.right;
            const bool touched = canvas.depthAt(x, y) != kClearDepth;
            inside += touched;
            ASSERT_TRUE(inBand || !touched) << x << "," << y;
        }
    }
    EXPECT_GT(inside, 0);
}

#if QUORVEL_CHECK_SPAN_WRITES
// A routine that writes one pixel past the end of each span it is given.
void drawOnePastTheEnd(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target) {
    const int right = std::min(std::max(endA.x, endB.x), target.band.right);
    if (row < target.band.top || row >= target.band.bottom || right >= target.band.right) return;
    target.colorBuffer[size_t(row) * size_t(target.rowPitch) + size_t(right)] = 0xFFFFFFu;
}
#endif

// Sanitizer builds check what every span routine writes (all the other tests run with the
// check there): one that writes past its span is stopped, naming the pixel.
TEST(DrawTriangle, ASpanRoutineWritingPastItsSpanIsStoppedInSanitizerBuilds) {
#if QUORVEL_CHECK_SPAN_WRITES
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    RasterCanvas canvas(64, 64);
    const RasterTarget target = canvas.target({0, 64, 0, 60}, drawOnePastTheEnd);
    EXPECT_DEATH(drawTriangle(vertexAt(10, 10), vertexAt(40, 12), vertexAt(20, 40), target),
                 "span routine wrote outside its span: row 1[0-9], column");
#else
    GTEST_SKIP() << "span routines' writes are checked in sanitizer builds";
#endif
}

}  // namespace
}  // namespace quorvel
