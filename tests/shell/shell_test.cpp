#include "shell/shell.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(HandleWindowEvent, SpaceTogglesPacingAndEveryRepeatTogglesAgain) {
    static Shell shell;
    ASSERT_TRUE(shell.fullSpeed);
    const WindowEvent space = {WindowEventKind::KeyDown, kKeySpace};
    handleWindowEvent(shell, space);
    EXPECT_FALSE(shell.fullSpeed);
    handleWindowEvent(shell, space);  // an auto-repeat is one more key-down
    EXPECT_TRUE(shell.fullSpeed);
    handleWindowEvent(shell, {WindowEventKind::KeyDown, 'A'});
    handleWindowEvent(shell, {WindowEventKind::Other, 0});
    EXPECT_TRUE(shell.fullSpeed);
    EXPECT_FALSE(shell.quitPosted);
}

TEST(HandleWindowEvent, EscapeAndClosingPostQuit) {
    static Shell escaped, closed;
    handleWindowEvent(escaped, {WindowEventKind::KeyDown, kKeyEscape});
    EXPECT_TRUE(escaped.quitPosted);
    handleWindowEvent(closed, {WindowEventKind::Destroyed, 0});
    EXPECT_TRUE(closed.quitPosted);
}

TEST(DrawingArea, IsTheScreenLessTenRoundedDownToEven) {
    int width = 0, height = 0;
    ASSERT_TRUE(drawingAreaFor({1920, 1080}, width, height));
    EXPECT_EQ(width, 1910);
    EXPECT_EQ(height, 1070);
    ASSERT_TRUE(drawingAreaFor({1367, 13}, width, height));
    EXPECT_EQ(width, 1356);
    EXPECT_EQ(height, 2);
    EXPECT_FALSE(drawingAreaFor({11, 800}, width, height));
    EXPECT_FALSE(drawingAreaFor({800, 0}, width, height));
    EXPECT_FALSE(drawingAreaFor({-5, -5}, width, height));
}

}  // namespace
}  // namespace quorvel
