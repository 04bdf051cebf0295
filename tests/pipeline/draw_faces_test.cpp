#include "pipeline/draw_faces.h"

#include <gtest/gtest.h>

#include "pipeline/bands.h"

namespace quorvel {
namespace {

TEST(ProjectVertex, ScalesOffsetsAndRoundsTiesToEven) {
    const Viewport viewport = makeViewport(800, 600, nullptr, nullptr);
    const ProjectedPoint p = projectVertex({0.5f, -0.25f, 1.0f}, 100.0f, viewport);
    EXPECT_EQ(p.point.x, 450);
    EXPECT_EQ(p.point.y, 275);
    EXPECT_EQ(p.depth, 1100.0f);
    EXPECT_EQ(projectVertex({0.505f, 0.0f, 0.0f}, 100.0f, viewport).point.x, 450);  // 450.49999...
    EXPECT_EQ(projectVertex({0.5f, 0.005f, 0.0f}, 1000.0f, viewport).point.y, 305);
    EXPECT_EQ(projectVertex({0.5f, 0.0f, 0.0f}, 1.0f, viewport).point.x, 400);   // 400.5 -> 400
    EXPECT_EQ(projectVertex({1.5f, 0.0f, 0.0f}, 1.0f, viewport).point.x, 402);   // 401.5 -> 402
    EXPECT_EQ(projectVertex({-0.5f, 0.0f, 0.0f}, 1.0f, viewport).point.x, 400);  // 399.5 -> 400
}

TEST(ProjectVertex, OutOfRangeBecomesTheSentinel) {
    const Viewport viewport = makeViewport(800, 600, nullptr, nullptr);
    EXPECT_EQ(projectVertex({400.0f, 0.0f, 0.0f}, 100.0f, viewport).point.x, -32768);
    EXPECT_EQ(projectVertex({0.0f, -400.0f, 0.0f}, 100.0f, viewport).point.y, -32768);
    EXPECT_EQ(projectVertex({322.0f, 0.0f, 0.0f}, 100.0f, viewport).point.x, 32600);
}

TEST(BandRect, SplitsTheFrameAtTheMiddleRowForTheReference) {
    const PixelRect top = bandRect(0, 800, 600, middleRow(600)),
                    bottom = bandRect(1, 800, 600, middleRow(600));
    EXPECT_EQ(top.top, 0);
    EXPECT_EQ(top.bottom, 300);
    EXPECT_EQ(bottom.top, 300);
    EXPECT_EQ(bottom.bottom, 600);
    EXPECT_EQ(bottom.left, 0);
    EXPECT_EQ(bottom.right, 800);
}

}  // namespace
}  // namespace quorvel
