#include "frame/draw_faces.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "frame/bands.h"

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

// Two bands are the halves; any count leaves no row out and none twice, in order.
TEST(BandRect, CutsTheFrameIntoBandsTopToBottom) {
    const PixelRect top = bandRect(0, 2, 800, 601), bottom = bandRect(1, 2, 800, 601);
    EXPECT_EQ(top.top, 0);
    EXPECT_EQ(top.bottom, 300);
    EXPECT_EQ(bottom.top, 300);
    EXPECT_EQ(bottom.bottom, 601);
    EXPECT_EQ(bottom.left, 0);
    EXPECT_EQ(bottom.right, 800);
    for (const auto& [count, height] : {std::pair{32, 1070}, std::pair{32, 32}, std::pair{7, 16384}}) {
        int next = 0;
        for (int band = 0; band < count; ++band) {
            const PixelRect rect = bandRect(band, count, 10, height);
            EXPECT_EQ(rect.top, next) << count << " bands of " << height << " rows";
            EXPECT_GT(rect.bottom, rect.top) << count << " bands of " << height << " rows";
            next = rect.bottom;
        }
        EXPECT_EQ(next, height);
    }
}

// Bands around the solid's rows: one above, the rows between in equal bands, one below; every
// row of the frame in exactly one band, however the rows fall.
TEST(BandsAround, CutTheSolidsRowsAndLeaveOneBandAboveAndBelow) {
    const BandCut around = bandsAround(4, 100, 300, 1000);
    EXPECT_EQ(std::vector<int>(around.firstRow, around.firstRow + around.count + 1),
              (std::vector<int>{0, 100, 150, 200, 250, 300, 1000}));
    struct Case {
        int count, top, bottom, height;
    };
    for (const Case& c :
         {Case{4, 0, 1000, 1000}, Case{4, -50, 2000, 1000}, Case{8, 10, 13, 20}, Case{1, 5, 6, 6},
          Case{kMaxBands, 0, 16384, 16384}, Case{3, 900, 1200, 1000}, Case{3, -9, -2, 10}}) {
        const BandCut cut = bandsAround(c.count, c.top, c.bottom, c.height);
        ASSERT_GE(cut.count, 1);
        ASSERT_LE(cut.count, kMaxBands);
        EXPECT_EQ(cut.firstRow[0], 0);
        EXPECT_EQ(cut.firstRow[cut.count], c.height);
        for (int band = 0; band < cut.count; ++band)
            EXPECT_LT(cut.firstRow[band], cut.firstRow[band + 1])
                << c.count << " bands, rows " << c.top << ".." << c.bottom;
    }
    // Three rows of solid take three bands, not eight.
    EXPECT_EQ(bandsAround(8, 10, 13, 20).count, 5);
}

}  // namespace
}  // namespace quorvel
