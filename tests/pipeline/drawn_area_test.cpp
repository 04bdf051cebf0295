#include "pipeline/drawn_area.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_frame.h"

namespace quorvel {
namespace {

bool inside(const PixelRect& rect, int x, int y) {
    return y >= rect.top && y < rect.bottom && x >= rect.left && x < rect.right;
}

// The window is sent only what lies in either frame's bounds; so across the whole cycle
// every pixel that changes from one frame to the next must lie in one of them, and every
// pixel outside the frame's own bounds must hold the clear values.
TEST(DrawnBounds, HoldEverythingAFrameDrawsOrClears) {
    TestFrame frame(322, 182);
    std::vector<uint32_t> shown(frame.colour.size(), 0);
    for (int f = 0; f < kZoomCycleFrames; ++f) {
        const PixelRect before = drawnBounds(frame.viewport);
        frame.render(fastestRenderPath());
        advanceFrameCounter(frame.animation);
        const PixelRect after = drawnBounds(frame.viewport);
        for (int y = 0; y < 182; ++y) {
            for (int x = 0; x < 322; ++x) {
                const size_t i = size_t(y) * 322 + x;
                if (frame.colour[i] != shown[i] && f > 0) {
                    ASSERT_TRUE(inside(before, x, y) || inside(after, x, y))
                        << "frame " << f << " at " << x << "," << y;
                }
                if (!inside(after, x, y)) {
                    ASSERT_EQ(frame.colour[i], 0u) << "frame " << f << " at " << x << "," << y;
                    ASSERT_EQ(frame.depth[i], kClearDepth) << "frame " << f << " at " << x << "," << y;
                }
            }
        }
        shown = frame.colour;
    }
}

TEST(DrawnBounds, CoverTheWholeFrameBeforeTheFirstAndNothingWhenNothingWasDrawn) {
    TestFrame frame(64, 48);
    const PixelRect whole = drawnBounds(frame.viewport);
    EXPECT_EQ(whole.top, 0);
    EXPECT_EQ(whole.bottom, 48);
    EXPECT_EQ(whole.left, 0);
    EXPECT_EQ(whole.right, 64);
    frame.scene.faceCount = 0;
    frame.render(fastestRenderPath());
    const PixelRect none = drawnBounds(frame.viewport);
    EXPECT_TRUE(none.top >= none.bottom || none.left >= none.right);
    EXPECT_TRUE(std::all_of(frame.colour.begin(), frame.colour.end(), [](uint32_t p) { return p == 0; }));
}

}  // namespace
}  // namespace quorvel
