#include "window/shown_frame.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

// The whole frame goes to a new window and after the window lost its contents; otherwise
// only what changed, even when that is nothing.
TEST(ShownFrame, WholeFrameFirstAndAfterLosingItElseOnlyWhatChanged) {
    ShownFrame shown;
    const ChangedArea changed = changedAreaOf({10, 20, 30, 40});
    const ChangedArea nothing{};
    const auto isWhole = [](const ChangedArea& area) {
        return area.count == 1 && area.rects[0].top == 0 && area.rects[0].bottom == 48 &&
               area.rects[0].left == 0 && area.rects[0].right == 64;
    };
    EXPECT_TRUE(isWhole(takeAreaToSend(shown, nothing, 64, 48)));
    EXPECT_EQ(takeAreaToSend(shown, nothing, 64, 48).count, 0);
    const ChangedArea sent = takeAreaToSend(shown, changed, 64, 48);
    ASSERT_EQ(sent.count, 1);
    EXPECT_EQ(sent.rects[0].top, 10);
    EXPECT_EQ(sent.rects[0].right, 40);
    noteContentsLost(shown);
    EXPECT_TRUE(isWhole(takeAreaToSend(shown, changed, 64, 48)));
    EXPECT_EQ(takeAreaToSend(shown, changed, 64, 48).count, 1);
}

}  // namespace
}  // namespace quorvel
