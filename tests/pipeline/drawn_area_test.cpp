#include "pipeline/drawn_area.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "pipeline/fill_buffer.h"
#include "test_frame.h"

namespace quorvel {
namespace {

bool inside(const PixelRect& rect, int x, int y) {
    return y >= rect.top && y < rect.bottom && x >= rect.left && x < rect.right;
}

// The window is sent only what renderFrame says may have changed; so across the whole
// cycle every pixel that changes from one frame to the next must lie in it, and every
// pixel outside the frame's own bounds must hold the clear values.
TEST(DrawnBounds, HoldEverythingAFrameDrawsOrClears) {
    TestFrame frame(322, 182);
    std::vector<uint32_t> shown(frame.colour.size(), 0);
    for (int f = 0; f < kZoomCycleFrames; ++f) {
        const PixelRect changed = frame.render(fastestRenderPath());
        const PixelRect after = drawnBounds(frame.viewport, frame.frames.drawn);
        for (int y = 0; y < 182; ++y) {
            for (int x = 0; x < 322; ++x) {
                const size_t i = size_t(y) * 322 + size_t(x);
                if (frame.colour[i] != shown[i] && f > 0) {
                    ASSERT_TRUE(inside(changed, x, y)) << "frame " << f << " at " << x << "," << y;
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
    const PixelRect whole = drawnBounds(frame.viewport, frame.frames.drawn);
    EXPECT_EQ(whole.top, 0);
    EXPECT_EQ(whole.bottom, 48);
    EXPECT_EQ(whole.left, 0);
    EXPECT_EQ(whole.right, 64);
    frame.scene.faces.clear();
    frame.render(fastestRenderPath());
    EXPECT_TRUE(isEmpty(drawnBounds(frame.viewport, frame.frames.drawn)));
    EXPECT_TRUE(std::all_of(frame.colour.begin(), frame.colour.end(), [](uint32_t p) { return p == 0; }));
}

}  // namespace
}  // namespace quorvel
