#include "frame/drawn_area.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "numeric/fill_buffer.h"
#include "stacked_rects.h"
#include "test_frame.h"

namespace quorvel {
namespace {

bool inside(const ChangedArea& area, int x, int y) {
    return std::any_of(area.rects, area.rects + area.count, [&](const PixelRect& rect) {
        return y >= rect.top && y < rect.bottom && x >= rect.left && x < rect.right;
    });
}

TEST(ChangedArea, IsTheWholeFrameBeforeTheFirstAndNothingWhenNothingWasDrawn) {
    TestFrame frame(64, 48);
    const ChangedArea whole = changedBetween(frame.frames.drawn, frame.frames.drawn);
    ASSERT_EQ(whole.count, 1);
    EXPECT_EQ(whole.rects[0].top, 0);
    EXPECT_EQ(whole.rects[0].bottom, 48);
    EXPECT_EQ(whole.rects[0].left, 0);
    EXPECT_EQ(whole.rects[0].right, 64);
    Scene empty;
    loadBuiltInScene(empty);
    empty.faces.clear();
    TestFrame blank(64, 48, prepareScene(std::move(empty)));
    blank.render(fastestRenderPath());
    EXPECT_EQ(changedBetween(blank.frames.drawn, blank.frames.drawn).count, 0);
    EXPECT_TRUE(std::all_of(blank.color.begin(), blank.color.end(), [](uint32_t p) { return p == 0; }));
}

// A wedge of one-row strips, each 10 pixels wider than the one above: every row alone wastes
// little when joined, but a rectangle may not waste more than a request costs in all.
TEST(ChangedArea, JoinsRowsWhileTheyWasteAtMostARequestInAll) {
    constexpr int kWidth = 4000, kHeight = 256;
    const DrawnStrips before = startDrawnStrips(kWidth, kHeight, false);
    DrawnStrips after = before;
    ASSERT_EQ(after.stripRows, 1);
    for (int row = 0; row < kHeight; ++row) after.columns[row] = {0, int16_t(100 + 10 * row)};
    const ChangedArea area = changedBetween(before, after);
    expectStacked(area, kWidth, kHeight);
    ASSERT_LT(area.count, kMaxChangedRects);
    ASSERT_GT(area.count, 1);
    int row = 0;
    for (int i = 0; i < area.count; ++i) {
        const PixelRect& rect = area.rects[i];
        ASSERT_EQ(rect.top, row) << "rectangle " << i;
        int64_t needed = 0;
        for (; row < rect.bottom; ++row) needed += after.columns[row].right;
        const int64_t sent = int64_t(rect.bottom - rect.top) * (rect.right - rect.left);
        EXPECT_LE(sent - needed, 1024) << "rectangle " << i;
    }
    EXPECT_EQ(row, kHeight);
}

// Strips alternately narrow and wide never join on their own, so there are more of them than
// rectangles: the last rectangle must take in all the rest, down to the last row.
TEST(ChangedArea, StaysCompleteWhenStripsOutnumberItsRectangles) {
    constexpr int kWidth = 1000, kHeight = 640;
    DrawnStrips before = startDrawnStrips(kWidth, kHeight, false), after = before;
    const int strips = stripCount(before);
    for (int s = 0; s < strips; ++s) {
        const bool narrow = s % 2 == 0;
        before.columns[s] = {int16_t(narrow ? 450 : 100), int16_t(narrow ? 550 : 900)};
    }
    after.columns[strips - 1] = {0, 7};
    ASSERT_EQ(stripRect(after, strips - 1).bottom, kHeight);
    const ChangedArea area = changedBetween(before, after);
    expectStacked(area, kWidth, kHeight);
    EXPECT_EQ(area.count, kMaxChangedRects);
    for (const DrawnStrips* record : {&before, &after}) {
        for (int s = 0; s < strips; ++s) {
            const PixelRect strip = stripRect(*record, s);
            if (isEmpty(strip)) continue;
            for (int y = strip.top; y < strip.bottom; ++y) {
                EXPECT_TRUE(inside(area, strip.left, y) && inside(area, strip.right - 1, y))
                    << "strip " << s << " row " << y;
            }
        }
    }
}

}  // namespace
}  // namespace quorvel
